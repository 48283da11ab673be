#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test: a short fuzz run of every
# harness, the core and its tests cross-built for Windows under wine, then the core and window
# tests here (last, so their summary closes the output). QUORVEL_SKIP_WINDOWS=1 leaves out the
# Windows part (and so the cross compiler and wine it installs); the CI never sets it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)
source scripts/lib/compiler-cache.sh
cmake -S . -B build "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEL_BUILD_TESTS=ON \
  -DQUORVEL_BUILD_BENCH=ON
cmake --build build -j"$jobs"
# Every fuzz harness for a few seconds each, seeded from tests/fuzz/corpus/<harness>/.
bash scripts/fuzz-long.sh "${QUORVEL_FUZZ_SECONDS:-8}"
if [ "${QUORVEL_SKIP_WINDOWS:-}" = 1 ]; then
  echo "== Windows cross-build and wine tests skipped (QUORVEL_SKIP_WINDOWS=1)"
else
  bash scripts/run-windows-tests.sh
fi
export QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 QTEST_FUNCTION_TIMEOUT=120000
ctest --test-dir build --output-on-failure --timeout 300 -j"$jobs"
