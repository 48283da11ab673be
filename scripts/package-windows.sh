#!/usr/bin/env bash
# Makes the Windows folder a seller can run and its installer, from the MinGW-w64 build:
#   dist/Quorvel-<version>-windows-x64.zip  quorvel.exe, qvltags.exe, the Japanese Qt texts,
#                                           使い方.txt, and in fonts/ the buyer's face that the
#                                           page engine draws with, with its licence
#   dist/Quorvel-<version>-setup.exe        the same through an NSIS installer
# Needs the Qt for MinGW-w64 of scripts/build-qt-windows.sh; builds what is missing first.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/install-deps.sh windows-package
version=$(sed -n 's/^project(Quorvel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
editor=$root/build-windows-editor/quorvel.exe
# The tool built with the page engine, so that its width check is the editor's.
tool=$root/build-windows-editor/qvltags.exe
[ -f "$editor" ] && [ -f "$tool" ] || bash scripts/build-windows-editor.sh quorvel qvltags

stage=$root/build-windows-editor/stage/Quorvel
rm -rf "$stage"
mkdir -p "$stage/translations" dist
cp "$editor" "$tool" "$stage/"
x86_64-w64-mingw32-strip "$stage/quorvel.exe" "$stage/qvltags.exe"
cp /usr/share/qt6/translations/qtbase_ja.qm "$stage/translations/"
# Windows has no Noto Sans CJK JP, the face buyers' phones draw Japanese in: the page engine
# loads it from the fonts folder beside the program. Debian's copyright file carries its SIL
# Open Font License.
mkdir -p "$stage/fonts"
cp /usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc /usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc \
  "$stage/fonts/"
sed 's/$/\r/' /usr/share/doc/fonts-noto-cjk/copyright >"$stage/fonts/NotoSansCJK-LICENSE.txt"
# Notepad and the sellers' tools read it as code page 932 with CR LF.
sed "s/@PROJECT_VERSION@/$version/" packaging/windows/使い方.txt.in | sed 's/$/\r/' |
  iconv -f UTF-8 -t CP932 >"$stage/使い方.txt"

zip=$root/dist/Quorvel-$version-windows-x64.zip
rm -f "$zip"
(cd "$stage/.." && zip -qr -X "$zip" Quorvel)
echo "made $zip ($(du -h "$zip" | cut -f1))"

setup=$root/dist/Quorvel-$version-setup.exe
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$setup" \
  packaging/windows/quorvel.nsi
echo "made $setup ($(du -h "$setup" | cut -f1))"
