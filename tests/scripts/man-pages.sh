#!/usr/bin/env bash
# The man pages as man shows them: in the POSIX locale (a minimal system's default) without a
# warning and without characters the terminal cannot show, and in a UTF-8 locale with the
# spreadsheet's Japanese column names as they are written.
# usage: man-pages.sh SOURCE_DIR
set -uo pipefail
source_dir=$(cd "${1:?usage: $0 SOURCE_DIR}" && pwd)
# The test command installs man (man-db): without it this check cannot run, which is a failure.
command -v man >/dev/null || { echo "FAILED: no man here (package man-db)"; exit 1; }
failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# render LANG PAGE: the page as text in $work/out, man's and troff's messages in $work/err.
render() {
  env -i PATH="$PATH" HOME="$work" ${1:+LANG=$1} MANWIDTH=80 MANROFFSEQ='' \
    man --warnings -l "$2" >"$work/out" 2>"$work/err"
}
for page in "$source_dir"/data/man/*.1; do
  name=$(basename "$page")
  render "" "$page" || fail "$name: man failed without LANG: $(head -3 "$work/err")"
  [ ! -s "$work/err" ] || fail "$name without LANG: $(head -3 "$work/err")"
  if outside=$(LC_ALL=C grep -m2 '[^[:print:][:space:]]' "$work/out"); then
    fail "$name without LANG shows characters outside ASCII: $outside"
  fi
  [ "$(wc -l <"$work/out")" -gt 20 ] || fail "$name without LANG: hardly any text"
  render C.UTF-8 "$page" || fail "$name: man failed under C.UTF-8"
  [ ! -s "$work/err" ] || fail "$name under C.UTF-8: $(head -3 "$work/err")"
done
# The column names: written out where they can be shown, transcribed where they cannot.
render "" "$source_dir/data/man/qvltags.1"
grep -q '"taitoru"' "$work/out" && grep -q '"fairu mei"' "$work/out" ||
  fail "qvltags.1 without LANG does not transcribe the column names"
render C.UTF-8 "$source_dir/data/man/qvltags.1"
grep -q '"タイトル"' "$work/out" && grep -q '"枠外注記"' "$work/out" &&
  grep -q '"説明HTML"' "$work/out" && grep -q '"項目１"' "$work/out" ||
  fail "qvltags.1 under C.UTF-8 does not show the column names"
! grep -q 'taitoru' "$work/out" || fail "qvltags.1 under C.UTF-8 shows the transcription"
[ "$failures" -eq 0 ] || exit 1
echo "man pages: read correctly without LANG and under C.UTF-8"
