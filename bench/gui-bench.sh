#!/bin/sh
# Start-up, idle memory, previews and tag copy of the editor beside a minimal Qt Widgets window
# with about as many widgets, measured in the same run. A benchmark, not a test.
#
#   bench/gui-bench.sh [build-folder] [runs]
#
# QUORVEL_EXE names another editor binary to measure (an older build, say); it must have the
# QUORVEL_BENCH_EXIT_AFTER_SHOW hook. QT_QPA_PLATFORM defaults to offscreen.
set -eu

build=${1:-build}
runs=${2:-5}
here=$(cd "$(dirname "$0")/.." && pwd)
if [ ! -x "$build/quorvel" ] || [ ! -x "$build/quorvel_minimal_window" ]; then
    cmake --build "$build" -j2 --target quorvel quorvel_minimal_window
fi
# The browser module is built as its own target when the project has one.
cmake --build "$build" -j2 --target quorvel_webview >/dev/null 2>&1 || true
editor=${QUORVEL_EXE:-$build/quorvel}
yardstick=$build/quorvel_minimal_window

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export QTWEBENGINE_DISABLE_SANDBOX=1
work=$(mktemp -d /tmp/quorvel-guibench-XXXXXX)
trap 'rm -rf "$work"' EXIT INT TERM
# Private settings, runtime and temporary folders: the user's own are never touched, and no
# running editor makes this one step aside as a second instance.
export XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state" XDG_RUNTIME_DIR="$work" TMPDIR="$work"

# One run of a program: its key=value lines, plus startup_ms from exec to the window settled.
measure() {
    out=$1
    shift
    start=$(date +%s%N)
    "$@" >"$out" 2>"$out.err" || { echo "failed: $*" >&2; cat "$out.err" >&2; exit 1; }
    settled=$(sed -n 's/^settled_ns=//p' "$out")
    awk -v d=$((settled - start)) 'BEGIN { printf "startup_ms=%.1f\n", d / 1e6 }' >>"$out"
}

value() { sed -n "s/^$2=//p" "$1"; }

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)]; else print "-" }'; }

widgets=0
i=1
while [ "$i" -le "$runs" ]; do
    QUORVEL_BENCH_EXIT_AFTER_SHOW=1 measure "$work/editor.$i" "$editor"
    widgets=$(value "$work/editor.$i" widgets)
    tags=$(value "$work/editor.$i" preview_file)
    measure "$work/minimal.$i" "$yardstick" --widgets "$widgets" --tags "$tags"
    i=$((i + 1))
done

column() { for f in "$work"/$1.*; do case $f in *.err) ;; *) value "$f" "$2" ;; esac; done | median; }

echo "load: $(uptime | sed 's/.*load average/load average/')"
echo "runs: $runs (medians), widgets: editor $widgets, minimal $(value "$work/minimal.1" widgets)"
echo "webengine linked by the editor: $(ldd "$editor" | grep -ci webengine || true) libraries"
printf '%-22s %12s %12s %8s   %s\n' measure editor minimal ratio target
row() {
    e=$(column editor "$1")
    m=$(column minimal "$1")
    case "$1" in rss_kb) e=$(( e / 1024 )); m=$(( m / 1024 )) ;; esac
    r=$(awk -v e="$e" -v m="$m" 'BEGIN { if (m > 0 && e > 0) printf "%.2f", e / m; else print "-" }')
    printf '%-22s %12s %12s %8s   %s\n' "$2" "$e" "$m" "$r" "$3"
}
row startup_ms "start-up (ms)" "ratio <= 1.3"
row rss_kb "idle memory (MB)" "ratio <= 1.5"
row preview_first_ms "first preview (ms)" "editor <= 1200 (minimal: plain text dialog)"
row preview_later_ms "later preview (ms)" "editor <= 60"
row tagcopy_us "tag copy (us)" "ratio <= 1.5 (minimal: by hand)"
