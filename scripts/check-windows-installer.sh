#!/usr/bin/env bash
# The installer as a seller runs it, under wine on a private X display (run inside xvfb-run):
# a silent install into Program Files with its Start-menu entry and the ".qvl" file type, the
# installed program's start-up smoke, a data file opened through the file type, both the installer
# and the uninstaller refusing while Quorvel runs, and a silent uninstall that leaves nothing of
# ours behind. The prefix is made anew each run.
# usage: check-windows-installer.sh SETUP.EXE
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/wait-window.sh
setup=$(realpath "$1")
export WINEPREFIX=$PWD/build-windows-editor/installprefix WINEDEBUG=-all WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX"
wineboot --init >/dev/null 2>&1
wineserver -w
fail() { echo "FAILED installer: $*"; wineserver -k 2>/dev/null; exit 1; }
installed="$WINEPREFIX/drive_c/Program Files/Quorvel"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quorvel.lnk"
type_keys=('HKLM\Software\Classes\.qvl' 'HKLM\Software\Classes\Quorvel.DataFile'
  'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorvel')

timeout 120 wine "$setup" /S >/dev/null 2>&1 || fail "the silent install exited $?"
wineserver -w
for file in quorvel.exe qvltags.exe 使い方.txt translations/qtbase_ja.qm uninstall.exe; do
  [ -f "$installed/$file" ] || fail "the install left no $file in Program Files\\Quorvel"
done
[ -f "$menu" ] || fail "no Start-menu entry for all users"
opener=$(wine reg query 'HKLM\Software\Classes\Quorvel.DataFile\shell\open\command' 2>/dev/null |
  tr -d '\r' | grep -aF 'C:\Program Files\Quorvel\quorvel.exe')
[ -n "$opener" ] || fail "\".qvl\" is not opened by the installed program"
echo "installer: files, Start-menu entry and the \".qvl\" file type in place"

QUORVEL_SMOKE_SHOT=build-windows-editor/installed.png \
  bash scripts/smoke-windows-editor.sh "$installed/quorvel.exe" || exit 1

# Started plainly, the uninstaller copies itself to the temporary folder, starts the copy and
# returns at once, so neither its exit code nor its end is the uninstall's. A copy is run here
# with "_?=" instead: it then uninstalls that folder itself and returns when done.
uninstaller="$WINEPREFIX/drive_c/users/Public/quorvel-uninstall.exe"
uninstall() {
  cp "$installed/uninstall.exe" "$uninstaller" || return 1
  # "_?=" takes the rest of the command line as it stands, unquoted: cmd passes it on so.
  timeout 120 wine cmd /c 'C:\users\Public\quorvel-uninstall.exe /S _?=C:\Program Files\Quorvel'
}

# A double-click on a data file: the shell's open verb through the file type.
openbox >/dev/null 2>&1 &
wm=$!
cp tests/fuzz/corpus/fuzz_datafile/texts.qvl "$WINEPREFIX/drive_c/users/Public/出品.qvl"
wine start 'C:\users\Public\出品.qvl' >/dev/null 2>&1 &
window=$(wait_for_window '^Quorvel - 出品')
[ -n "$window" ] || { kill "$wm"; fail "opening 出品.qvl through its file type showed no window \"Quorvel - 出品\""; }
echo "installer: 出品.qvl opened through the file type in \"$(xdotool getwindowname "$window")\""
# While it runs, neither the installer nor the uninstaller may go on: it holds its program file.
# A refusal is exit code 2; anything else (success, a crash, a time-out) is no refusal.
timeout 120 wine "$setup" /S >/dev/null 2>&1
rc=$?
[ "$rc" = 2 ] || { kill "$wm"; fail "the silent install while Quorvel ran exited $rc, not 2"; }
uninstall >/dev/null 2>&1
rc=$?
[ "$rc" = 2 ] || { kill "$wm"; fail "the silent uninstall while Quorvel ran exited $rc, not 2"; }
[ -f "$installed/quorvel.exe" ] && [ -f "$installed/uninstall.exe" ] ||
  { kill "$wm"; fail "the refused uninstall removed files"; }
echo "installer: install and uninstall refused while Quorvel runs, nothing removed"
xdotool windowactivate --sync "$window" key --clearmodifiers alt+F4 2>/dev/null
wineserver -w
kill "$wm" 2>/dev/null

log=build-windows-editor/uninstall.log
uninstall >"$log" 2>&1 ||
  fail "the silent uninstall exited $? ($(tr -d '\r' <"$log" | tail -5))"
wineserver -w
rm -f "$uninstaller"
[ -e "$installed" ] && fail "Program Files\\Quorvel is still there after uninstalling: $(ls -A "$installed")"
[ -e "$menu" ] && fail "the Start-menu entry is still there after uninstalling"
for key in "${type_keys[@]}"; do
  wine reg query "$key" >/dev/null 2>&1 && fail "$key is still in the registry after uninstalling"
done
echo "installer: the uninstaller removed the program, its Start-menu entry and the file type"
