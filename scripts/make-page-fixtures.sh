#!/usr/bin/env bash
# Remakes the page fidelity fixtures in tests/page/fidelity: the reference sheets (.qvl), the page
# each one gives (.html) and, from Debian's Chromium (headless), the page width and every cell's
# box and first character at 375 and 700 CSS px (<name>.<W>.txt).
# Usage: bash scripts/make-page-fixtures.sh [BUILD_DIR]   (default build; configured if missing)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=tests/page/fidelity
widths=(375 700)

fail() {
  echo "make-page-fixtures: $*" >&2
  exit 1
}
# Each tool and the Debian package that has it.
for need in chromium:chromium iconv:libc-bin python3:python3 fc-match:fontconfig cmake:cmake; do
  command -v "${need%%:*}" >/dev/null ||
    fail "${need%%:*} is needed: install the Debian package ${need#*:}"
done

# The page names the face; a fallback would measure another page, so only the real files do.
regular=$(fc-match -f '%{file}' 'Noto Sans CJK JP')
bold=$(fc-match -f '%{file}' 'Noto Sans CJK JP:bold')
[[ $regular == */NotoSansCJK-Regular.ttc && $bold == */NotoSansCJK-Bold.ttc ]] ||
  fail "Noto Sans CJK JP resolves to $regular and $bold: install the Debian package fonts-noto-cjk"

if [ ! -f "$build/CMakeCache.txt" ]; then
  # shellcheck source=scripts/lib/compiler-cache.sh
  source scripts/lib/compiler-cache.sh
  cmake -S . -B "$build" "${launcher[@]}" -DQUORVEL_BUILD_UI=OFF -DQUORVEL_BUILD_TESTS=OFF \
    -DQUORVEL_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$build" -j2 --target qvltags make_fidelity_sheets >/dev/null

mkdir -p "$out"
"$build/make_fidelity_sheets" "$out" >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

probe=
for qvl in "$out"/*.qvl; do
  name=$(basename "$qvl" .qvl)
  "$build/qvltags" "$qvl" >"$work/$name.cp932"
  iconv -f CP932 -t UTF-8 "$work/$name.cp932" >"$work/$name.tags"
  cells=$("$build/make_fidelity_sheets" --cells "$qvl")
  python3 scripts/lib/page-fixtures.py prepare "$work/$name.tags" "$cells" "$out/$name.html" \
    "$work/$name.outer.html" "${widths[@]}"
  # A fresh profile each time; the virtual time budget lets the page's promises settle before
  # the DOM is dumped.
  profile=$(mktemp -d "$work/profile.XXXXXX")
  if ! timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --virtual-time-budget=30000 --user-data-dir="$profile" \
    --dump-dom "file://$work/$name.outer.html" >"$work/$name.dom" 2>"$work/$name.log"; then
    cat "$work/$name.log" >&2
    fail "chromium failed on $name"
  fi
  probe=$(python3 scripts/lib/page-fixtures.py collect "$work/$name.dom" "$out/$name" \
    "${widths[@]}") || fail "no fixtures for $name"
  echo "$name: $(head -n1 "$out/$name.375.txt") at 375, $(head -n1 "$out/$name.700.txt") at 700"
done

{
  chromium --version 2>/dev/null | head -n1
  echo "Noto Sans CJK JP: $regular, $bold (fonts-noto-cjk $(dpkg-query -W -f '${Version}' \
    fonts-noto-cjk 2>/dev/null || echo '?'))"
  echo "$probe"
} >"$out/MADE-WITH"
cat "$out/MADE-WITH"
