#!/usr/bin/env bash
# Cross-builds quorvel.exe and its window tests (or only the targets named as arguments) for 64-bit
# Windows against the static Qt made by
# scripts/build-qt-windows.sh and the page engine made by scripts/build-litehtml.sh windows, into
# build-windows-editor/. No browser module: Qt WebEngine does not build with MinGW, and the
# preview's tabs show the page through the engine instead.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
. scripts/lib/qt-windows-prefix.sh
. scripts/lib/litehtml-prefix.sh
build=$root/build-windows-editor
gtest_prefix=$root/build-windows/googletest-install
if [ ! -f "$qt_windows/.quorvel-built" ]; then
  echo "no Qt for MinGW-w64 in $qt_windows: run bash scripts/build-qt-windows.sh first" >&2
  exit 1
fi
[ -f "$gtest_prefix/lib/cmake/GTest/GTestConfig.cmake" ] || bash scripts/build-windows-core.sh
# Its own cache: adding or remaking it never rebuilds Qt.
bash scripts/build-litehtml.sh windows
jobs=$(nproc)
[ "$jobs" -le 2 ] || jobs=2
source scripts/lib/compiler-cache.sh
# A build made against another Qt cache keeps that cache's paths: start it afresh.
if [ -f "$build/CMakeCache.txt" ] &&
  ! grep -qxF "CMAKE_TOOLCHAIN_FILE:FILEPATH=$qt_windows/lib/cmake/Qt6/qt.toolchain.cmake" "$build/CMakeCache.txt"; then
  rm -rf "$build"
fi
# Qt's toolchain file adds the Qt folder to the cross search roots and then loads ours.
cmake -S . -B "$build" --toolchain "$qt_windows/lib/cmake/Qt6/qt.toolchain.cmake" "${launcher[@]}" \
  -DQT_CHAINLOAD_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DQUORVEL_BUILD_UI=ON -DQUORVEL_BUILD_BENCH=OFF -DQUORVEL_BUILD_TESTS=ON \
  -DGTest_DIR="$gtest_prefix/lib/cmake/GTest" -DQUORVEL_LITEHTML="$litehtml_windows" >/dev/null
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build "$build" -j"$jobs" "${targets[@]}"
