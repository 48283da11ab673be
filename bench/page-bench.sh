#!/bin/sh
# The page engine against Chromium on the largest sheet (22 cells near 1000 bytes): parse and
# layout, median of many, as a ratio measured in one run; and the editor's idle memory with the
# live view shown against hidden, with the view's delay after a keystroke. A benchmark, not a
# test.
#
#   bench/page-bench.sh [build-folder] [runs]
set -eu

build=${1:-build}
runs=${2:-31}
tool=$build/quorvel_page_bench_tool
[ -x "$tool" ] || cmake --build "$build" -j2 --target quorvel_page_bench_tool
browser=$(command -v chromium || command -v chromium-browser || true)
[ -n "$browser" ] || { echo "chromium is needed (Debian: chromium)" >&2; exit 1; }

export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
work=$(mktemp -d /tmp/quorvel-pagebench-XXXXXX)
trap 'rm -rf "$work"' EXIT INT TERM
export XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state" XDG_RUNTIME_DIR="$work" TMPDIR="$work"

value() { sed -n "s/^$2=//p" "$1"; }
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)]; else print "-" }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a > 0 && b > 0) printf "%.2f", a / b; else print "-" }'; }

"$tool" --layout "$runs" >"$work/engine"
"$tool" --browser-page "$work/page.html" "$runs"
# shellcheck disable=SC2086
"$browser" --headless --no-sandbox --disable-gpu --virtual-time-budget=60000 \
  --dump-dom "file://$work/page.html" 2>/dev/null >"$work/dom"
browser_ms=$(sed -n 's/.*browser_wall_ms=\([0-9.]*\).*/\1/p' "$work/dom" | head -n 1)
[ -n "$browser_ms" ] || { echo "the browser gave no time" >&2; exit 1; }
engine_ms=$(value "$work/engine" engine_wall_ms)
engine_cpu=$(value "$work/engine" engine_cpu_ms)

for i in 1 2 3; do
  "$tool" --editor hidden >"$work/hidden.$i"
  "$tool" --editor shown >"$work/shown.$i"
done
column() { for f in "$work/$1".*; do value "$f" "$2"; done | median; }
hidden=$(column hidden rss_kb)
shown=$(column shown rss_kb)
keystroke=$(column shown keystroke_ms)

echo "load: $(uptime | sed 's/.*load average/load average/')"
echo "largest sheet: $(value "$work/engine" bytes) bytes of tags, $runs runs (medians)"
printf '%-34s %10s %10s %8s   %s\n' measure engine baseline ratio target
printf '%-34s %10s %10s %8s   %s\n' "parse+layout wall (ms) vs Chromium" "$engine_ms" "$browser_ms" \
  "$(ratio "$engine_ms" "$browser_ms")" "ratio <= 1"
printf '%-34s %10s %10s %8s   %s\n' "parse+layout CPU (ms) vs Chromium" "$engine_cpu" "$browser_ms" \
  "$(ratio "$engine_cpu" "$browser_ms")" "ratio <= 1"
printf '%-34s %10s %10s %8s   %s\n' "idle memory (MB), view shown/hidden" $((shown / 1024)) \
  $((hidden / 1024)) "$(ratio "$shown" "$hidden")" "ratio <= 1.2"
printf '%-34s %10s %10s %8s   %s\n' "keystroke to view current (ms)" "$keystroke" 50 \
  "$(ratio "$keystroke" 50)" "ratio <= 1 (50 ms)"
