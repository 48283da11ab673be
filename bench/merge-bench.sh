#!/usr/bin/env bash
# The spreadsheet merge at scale: `qvltags --merge` into a folder (25k, 50k, 100k rows) and to
# --csv (100k, 1M rows), each run timed with peak memory by /usr/bin/time -v, beside the yardstick
# measured in the same run: the folder's files written again with plain writes (create, write,
# close) by bench/merge/merge_bench_tool.cpp. Prints medians of RUNS runs and their ratios.
#
#   bench/merge-bench.sh [build-folder] [runs]      (default build, 3)
#
# QUORVEL_BENCH_DIR picks the disk the files go to (default /tmp); the tables take about
# 300 MB and the --csv output of a million rows 3.6 GB, all removed afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-3}
tool=$build/quorvel_merge_bench_tool
qvltags=$build/qvltags
[[ -x $tool && -x $qvltags ]] || { echo "build $tool and $qvltags first" >&2; exit 2; }
work=$(mktemp -d -p "${QUORVEL_BENCH_DIR:-/tmp}" merge-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# Runs the command under /usr/bin/time -v, after the disk has caught up with earlier runs;
# prints "seconds peak-kB".
timed() {
  sync
  /usr/bin/time -v "$@" >/dev/null 2>"$work/time.txt" || true
  awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, t, ":"); s = 0
                                          for (i = 1; i <= n; ++i) s = s * 60 + t[i] }
              /Maximum resident set size/ { kb = $2 }
              END { printf "%.2f %d\n", s, kb }' "$work/time.txt"
}

echo "load: $(uptime)"
"$tool" template "$work/template.qvl"
printf '%-8s %8s %10s %10s %12s %8s\n' target rows seconds "peak MB" "plain s" ratio
for rows in 25000 50000 100000; do
  "$tool" table "$rows" "$work/items.csv"
  : >"$work/merge.txt"
  : >"$work/plain.txt"
  for ((run = 1; run <= runs; ++run)); do
    timed "$qvltags" --merge "$work/items.csv" "$work/template.qvl" --out "$work/out" \
      >>"$work/merge.txt"
    "$tool" plain "$work/out" "$work/plain" | awk '{ print $2 }' >>"$work/plain.txt"
    rm -rf "$work/out" "$work/plain"
  done
  seconds=$(awk '{ print $1 }' "$work/merge.txt" | median)
  peak=$(awk '{ print $2 }' "$work/merge.txt" | sort -n | tail -1)
  plain=$(median <"$work/plain.txt")
  awk -v r="$rows" -v s="$seconds" -v p="$peak" -v b="$plain" \
    'BEGIN { printf "%-8s %8d %10.2f %10.1f %12.2f %7.2fx\n", "folder", r, s, p / 1024, b, s / b }'
done
for rows in 100000 1000000; do
  "$tool" table "$rows" "$work/items.csv"
  : >"$work/merge.txt"
  for ((run = 1; run <= runs; ++run)); do
    timed "$qvltags" --merge "$work/items.csv" "$work/template.qvl" --csv "$work/out.csv" \
      >>"$work/merge.txt"
    rm -f "$work/out.csv"
  done
  seconds=$(awk '{ print $1 }' "$work/merge.txt" | median)
  peak=$(awk '{ print $2 }' "$work/merge.txt" | sort -n | tail -1)
  awk -v r="$rows" -v s="$seconds" -v p="$peak" \
    'BEGIN { printf "%-8s %8d %10.2f %10.1f %12s %8s\n", "--csv", r, s, p / 1024, "-", "-" }'
done
echo "load: $(uptime)"
