#!/usr/bin/env bash
# Builds every libFuzzer harness tests/fuzz/fuzz_*.cpp and runs each for SECONDS (default 300),
# seeded from a copy of tests/fuzz/corpus/<harness>/ so the seeds in the tree stay as they are.
# Extra libFuzzer flags for one harness go in tests/fuzz/<harness>.options. A finding stops the
# run with a failure; its reproducer is left in the working folder named at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
[[ "$seconds" =~ ^[0-9]+$ ]] || { echo "usage: $0 [SECONDS]" >&2; exit 2; }
jobs=$(nproc)
source scripts/lib/compiler-cache.sh
# One tree for every harness: the page's and the pictures' link Qt and the page engine, so the
# editor's libraries are in it too, and the core is instrumented once for all of them.
bash scripts/build-litehtml.sh linux
. scripts/lib/litehtml-prefix.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUORVEL_FUZZ=ON -DQUORVEL_BUILD_UI=ON -DQUORVEL_BUILD_TESTS=OFF -DQUORVEL_BUILD_BENCH=OFF \
  -DQUORVEL_BUILD_WEBVIEW=OFF -DQUORVEL_LITEHTML="$litehtml_linux" "${launcher[@]}" >/dev/null
harnesses=()
for source in tests/fuzz/fuzz_*.cpp; do harnesses+=("$(basename "$source" .cpp)"); done
cmake --build build-fuzz -j"$jobs" --target "${harnesses[@]}"
export QT_QPA_PLATFORM=offscreen

work=$(mktemp -d)
for harness in "${harnesses[@]}"; do
  corpus="$work/$harness"
  mkdir -p "$corpus"
  if [[ -d "tests/fuzz/corpus/$harness" ]]; then cp -R "tests/fuzz/corpus/$harness/." "$corpus/"; fi
  options=()
  if [[ -f "tests/fuzz/$harness.options" ]]; then read -r -a options < "tests/fuzz/$harness.options"; fi
  # A dictionary of the input's words (tags for the page), by its path from here.
  if [[ -f "tests/fuzz/$harness.dict" ]]; then options+=("-dict=$PWD/tests/fuzz/$harness.dict"); fi
  log="$work/$harness.log"
  if ! (cd "$work" && "$OLDPWD/build-fuzz/$harness" -max_total_time="$seconds" \
      -print_final_stats=1 "${options[@]}" "$corpus" >"$log" 2>&1); then
    tail -n 40 "$log" >&2
    echo "$harness: FAILED (reproducer and log in $work)" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  echo "$harness: ${runs:-?} executions in ${seconds} s, no finding"
done
rm -rf "$work"
