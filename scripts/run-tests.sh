#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test: a short fuzz run of every
# harness, the core, the editor and their tests cross-built for Windows under wine (the static Qt
# for Windows is built first when its cache is missing: once, 11 to 30 minutes on 2 cores), then the core
# and window tests here. The last lines list every test or case that was skipped, with its reason.
# QUORVEL_SKIP_WINDOWS=1 is the one way to leave out the Windows part (and so the cross compiler
# and wine it installs); the CI never sets it.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/skips.sh
bash scripts/install-deps.sh
bash scripts/build-litehtml.sh linux
. scripts/lib/litehtml-prefix.sh
jobs=$(nproc)
source scripts/lib/compiler-cache.sh
cmake -S . -B build "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEL_BUILD_TESTS=ON \
  -DQUORVEL_BUILD_BENCH=ON -DQUORVEL_LITEHTML="$litehtml_linux"
cmake --build build -j"$jobs"
# Every fuzz harness for a few seconds each, seeded from tests/fuzz/corpus/<harness>/.
bash scripts/fuzz-long.sh "${QUORVEL_FUZZ_SECONDS:-8}"
status=0
windows_skips=build-windows/skipped.txt
rm -f "$windows_skips"
if [ "${QUORVEL_SKIP_WINDOWS:-}" = 1 ]; then
  echo "== Windows cross-build and wine tests skipped (QUORVEL_SKIP_WINDOWS=1)"
else
  # Goes on to the tests here when the Windows part fails; the run fails at the end.
  bash scripts/run-windows-tests.sh || status=1
fi
export QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 QTEST_FUNCTION_TIMEOUT=120000
# The report keeps every test's output, so the cases a passing program skipped are found too.
rm -f build/ctest-results.xml
ctest --test-dir build --output-on-failure --timeout 300 -j"$jobs" \
  --output-junit ctest-results.xml --test-output-size-passed 4194304 || status=1

skipped=$(
  if [ "${QUORVEL_SKIP_WINDOWS:-}" = 1 ]; then
    echo "windows: the whole Windows part (QUORVEL_SKIP_WINDOWS=1)"
  elif [ -f "$windows_skips" ]; then
    cat "$windows_skips"
  fi
  junit_skips build/ctest-results.xml
)
if [ -n "$skipped" ]; then
  echo "== skipped ($(wc -l <<<"$skipped")), with the reasons given:"
  sed 's/^/  /' <<<"$skipped"
else
  echo "== skipped: nothing"
fi
exit $status
