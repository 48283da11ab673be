#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test (core, windows, a short fuzz run).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEL_BUILD_TESTS=ON -DQUORVEL_BUILD_BENCH=ON
cmake --build build -j"$jobs"
# The data-file reader under libFuzzer for a bounded time, seeded from tests/fuzz/corpus.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUORVEL_FUZZ=ON -DQUORVEL_BUILD_UI=OFF -DQUORVEL_BUILD_BENCH=OFF
cmake --build build-fuzz -j"$jobs" --target fuzz_datafile
work=$(mktemp -d)
cp tests/fuzz/corpus/* "$work"/
./build-fuzz/fuzz_datafile -max_total_time=30 -max_len=24000 "$work"
rm -rf "$work"
export QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 QTEST_FUNCTION_TIMEOUT=120000
ctest --test-dir build --output-on-failure --timeout 300 -j"$jobs"
