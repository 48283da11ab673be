#!/usr/bin/env bash
# Cross-builds the core, qvltags.exe and the core tests for 64-bit Windows with Debian's MinGW-w64
# into build-windows/, with GoogleTest built once for MinGW from Debian's source copy. Installs
# what it needs first; may be run again. The window build and the packages start from here.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build-windows

bash scripts/install-deps.sh windows

jobs=$(nproc)
[ "$jobs" -le 2 ] || jobs=2
source scripts/lib/compiler-cache.sh
toolchain=$root/cmake/mingw-w64-x86_64.cmake

gtest_prefix=$build/googletest-install
if [ ! -f "$gtest_prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
  cmake -S /usr/src/googletest -B "$build/googletest" --toolchain "$toolchain" "${launcher[@]}" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON \
    -DCMAKE_INSTALL_PREFIX="$gtest_prefix" >/dev/null
  cmake --build "$build/googletest" -j"$jobs" >/dev/null
  cmake --install "$build/googletest" >/dev/null
fi

cmake -S . -B "$build" --toolchain "$toolchain" "${launcher[@]}" -DCMAKE_BUILD_TYPE=Release \
  -DQUORVEL_BUILD_UI=OFF -DQUORVEL_BUILD_BENCH=OFF -DGTest_DIR="$gtest_prefix/lib/cmake/GTest" \
  >/dev/null
cmake --build "$build" -j"$jobs" --target qvltags core_tests
