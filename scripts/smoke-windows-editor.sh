#!/usr/bin/env bash
# The built quorvel.exe as a seller starts it, under wine on a private X display with a window
# manager: its window "Quorvel - 無題" appears, a second start exits 0 at once, and closing it
# writes the settings to the registry. Leaves a screenshot in build-windows-editor/smoke.png.
# Run inside xvfb-run, in the wine prefix WINEPREFIX names, else one of its own beside the program
# (the window tests' prefix is set to the headless platform).
set -uo pipefail
source "$(dirname "$0")/lib/wait-window.sh"
exe=$1
shot=${QUORVEL_SMOKE_SHOT:-$(dirname "$exe")/smoke.png}
export WINEPREFIX=${WINEPREFIX:-$(cd "$(dirname "$exe")" && pwd)/smokeprefix} WINEDEBUG=-all WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$WINEPREFIX/system.reg" ] || { wineboot --init >/dev/null 2>&1; wineserver -w; }
openbox >/dev/null 2>&1 &
wm=$!
fail() { echo "FAILED smoke: $*"; kill "$wm" 2>/dev/null; wineserver -k 2>/dev/null; exit 1; }
wine reg delete 'HKCU\SOFTWARE\Merrow\Quorvel' /f >/dev/null 2>&1
wine reg delete 'HKLM\SOFTWARE\Merrow\Quorvel' /f >/dev/null 2>&1
wine "$exe" >/dev/null 2>&1 &
first=$!
window=$(wait_for_window '^Quorvel - 無題$')
[ -n "$window" ] || fail "no window named \"Quorvel - 無題\" within 30 s"
sleep 2
import -window root "$shot" 2>/dev/null || true
timeout 20 wine "$exe" >/dev/null 2>&1
second=$?
[ "$second" = 0 ] || fail "a second quorvel.exe exited $second, not 0"
kill -0 "$first" 2>/dev/null || fail "the first quorvel.exe ended when the second started"
xdotool windowactivate --sync "$window" key --clearmodifiers alt+F4 2>/dev/null
for _ in $(seq 40); do
  kill -0 "$first" 2>/dev/null || break
  sleep 0.5
done
kill -0 "$first" 2>/dev/null && fail "quorvel.exe did not close on Alt+F4"
values=$( (wine reg query 'HKLM\SOFTWARE\Merrow\Quorvel'; wine reg query 'HKCU\SOFTWARE\Merrow\Quorvel') 2>/dev/null |
  grep -c 'REG_' || true)
[ "$values" -gt 0 ] || fail "closing wrote no settings to the registry"
kill "$wm" 2>/dev/null
echo "smoke: window \"Quorvel - 無題\" shown, second instance exited 0, closing wrote $values registry values"
