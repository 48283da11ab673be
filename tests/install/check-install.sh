#!/usr/bin/env bash
# Installs the build into a temporary root and checks the installed tree: the desktop entry and
# the AppStream data validate, the file type is recognised (test_installed_tree), the man pages
# are there and qvltags answers --help and --version.
# usage: check-install.sh BUILD_DIR TEST_INSTALLED_TREE
set -euo pipefail
build=$1
tree_test=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

DESTDIR="$root/dest" cmake --install "$build" --prefix /usr >"$root/install.log" ||
  { cat "$root/install.log" >&2; exit 1; }
usr=$root/dest/usr
id=example.merrow.Quorvel

for f in bin/quorvel bin/qvltags "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml" \
  "share/mime/packages/$id.xml" "share/icons/hicolor/scalable/apps/$id.svg" \
  share/icons/hicolor/scalable/mimetypes/application-x-quorvel.svg \
  share/man/man1/quorvel.1.gz share/man/man1/qvltags.1.gz; do
  [ -s "$usr/$f" ] || fail "not installed: $f"
done
for f in bin/quorvel bin/qvltags; do [ -x "$usr/$f" ] || fail "not executable: $f"; done
# The preview's browser module, where the installed editor looks for it (../lib*/quorvel beside
# bin, multiarch folder included).
modules=("$usr"/lib*/quorvel/libquorvel_webview.so "$usr"/lib/*/quorvel/libquorvel_webview.so)
found_module=0
for m in "${modules[@]}"; do [ -s "$m" ] && found_module=1; done
[ "$found_module" -eq 1 ] || fail "the browser module is not installed under lib/.../quorvel"

# Validators: any error fails; desktop-file-validate also reports errors with status 0 at times.
desktop=$usr/share/applications/$id.desktop
if ! out=$(desktop-file-validate "$desktop" 2>&1) || grep -qi 'error' <<<"$out"; then
  fail "desktop-file-validate: $out"
fi
appstreamcli validate --no-net "$usr/share/metainfo/$id.metainfo.xml" >"$root/appstream.log" 2>&1 ||
  fail "appstreamcli validate: $(cat "$root/appstream.log")"

# The menu entry points at what was installed.
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$usr/bin/$exec_name" ] || fail "Exec names $exec_name, which is not installed"
icon_name=$(sed -n 's/^Icon=//p' "$desktop")
[ -s "$usr/share/icons/hicolor/scalable/apps/$icon_name.svg" ] || fail "no icon named $icon_name"
grep -qx 'MimeType=application/x-quorvel;' "$desktop" || fail "desktop entry lacks the file type"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" \
  "$usr/share/metainfo/$id.metainfo.xml" || fail "metainfo does not launch the desktop entry"

for page in quorvel qvltags; do
  text=$(gzip -dc "$usr/share/man/man1/$page.1.gz") || { fail "$page.1.gz is no gzip file"; continue; }
  for section in NAME SYNOPSIS OPTIONS 'EXIT STATUS' FILES; do
    grep -qx "\.SH \"\?$section\"\?" <<<"$text" || fail "$page(1) has no $section section"
  done
done

# qvltags: help and version on standard output with status 0, wrong usage on standard error, 2.
qvltags=$usr/bin/qvltags
status=0; "$qvltags" --help >"$root/out" 2>"$root/err" || status=$?
[ "$status" -eq 0 ] || fail "qvltags --help exited $status"
grep -q '^usage: qvltags' "$root/out" || fail "qvltags --help printed no usage on standard output"
[ ! -s "$root/err" ] || fail "qvltags --help wrote to standard error"
status=0; "$qvltags" --version >"$root/out" 2>"$root/err" || status=$?
[ "$status" -eq 0 ] || fail "qvltags --version exited $status"
[ "$(cat "$root/out")" = "qvltags 1.72" ] || fail "qvltags --version printed '$(cat "$root/out")'"
for wrong in "--bogus" "--help extra.qvl" "--version --help" ""; do
  status=0; "$qvltags" $wrong >"$root/out" 2>"$root/err" || status=$?
  [ "$status" -eq 2 ] || fail "qvltags $wrong exited $status, not 2"
  [ ! -s "$root/out" ] || fail "qvltags $wrong wrote to standard output"
  grep -q '^usage: qvltags' "$root/err" || fail "qvltags $wrong printed no usage on standard error"
done

# The file type through Qt, with the installed share folder as the only data folder.
XDG_DATA_DIRS="$usr/share" update-mime-database "$usr/share/mime" || fail "update-mime-database failed"
[ -s "$usr/share/mime/mime.cache" ] || fail "update-mime-database wrote no cache"
grep -q 'application/x-quorvel' "$usr/share/mime/types" 2>/dev/null || fail "type not in the database"
mkdir -p "$root/data-home"
XDG_DATA_DIRS="$usr/share" XDG_DATA_HOME="$root/data-home" QUORVEL_INSTALLED_SHARE="$usr/share" \
  "$tree_test" || fail "test_installed_tree"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) of the installed tree failed" >&2
  exit 1
fi
echo "installed tree: all checks passed"
