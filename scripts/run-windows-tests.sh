#!/usr/bin/env bash
# Cross-builds the core, qvltags.exe and the core tests for 64-bit Windows with Debian's MinGW-w64
# (scripts/build-windows-core.sh) and runs them under wine without a display, then the editor and
# its window tests against the static Qt for MinGW-w64 (built first when its cache is missing).
# Installs what it needs first; may be run again. What was skipped, and why, is listed in
# build-windows/skipped.txt for the test command's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build-windows
source scripts/lib/skips.sh

bash scripts/build-windows-core.sh
skips=$build/skipped.txt
: >"$skips"
jobs=$(nproc)
[ "$jobs" -le 2 ] || jobs=2
source scripts/lib/compiler-cache.sh

# A private wine prefix inside the build folder, made quietly and without a display.
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
unset DISPLAY WAYLAND_DISPLAY
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot --init >/dev/null 2>&1 || true
  wineserver -w
fi

# The sellers' Windows is Japanese: code page 932 for file names and the narrow system calls.
# Wine takes its code page from the host locale, made here privately when the host lacks it.
japanese=(env LC_ALL=ja_JP.UTF-8)
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf-\?8'; then
  if [ ! -f "$build/locale/ja_JP.UTF-8/LC_CTYPE" ]; then
    mkdir -p "$build/locale"
    # Its exit status also counts warnings about characters the charmap lacks, after which the
    # locale is made all the same: whether it works is checked below instead.
    localedef -i ja_JP -f UTF-8 "$build/locale/ja_JP.UTF-8" >"$build/localedef.log" 2>&1 || true
  fi
  japanese=(env LOCPATH="$build/locale" LC_ALL=ja_JP.UTF-8)
fi
# Without the locale wine would run on a Western code page and the Japanese run would prove nothing.
if [ "$("${japanese[@]}" locale charmap 2>&1)" != UTF-8 ]; then
  echo "FAILED: no Japanese locale ja_JP.UTF-8 for wine's code page 932; localedef said:"
  tail -5 "$build/localedef.log" 2>/dev/null || true
  exit 1
fi

status=0
echo "== core tests under wine, Japanese code page"
"${japanese[@]}" wine "$build/core_tests.exe" 2>&1 | tee "$build/core_tests.log" || status=1
gtest_skips "$build/core_tests.log" "core_tests.exe (wine)" >>"$skips"
echo "== file-name cases under wine, Western code page"
wine "$build/core_tests.exe" --gtest_filter='FileNames.*:MergeBatch.FileNames*' || status=1

# qvltags.exe alone in an empty folder must give the Linux tool's bytes exactly.
echo "== qvltags.exe alone in a folder"
if [ ! -x build/qvltags ]; then
  cmake -S . -B build-windows-host "${launcher[@]}" -DQUORVEL_BUILD_UI=OFF -DQUORVEL_BUILD_BENCH=OFF \
    >/dev/null
  cmake --build build-windows-host -j"$jobs" --target qvltags >/dev/null
  linux_tool=$root/build-windows-host/qvltags
else
  linux_tool=$root/build/qvltags
fi
alone=$(mktemp -d)
trap 'rm -rf "$alone"' EXIT
# The program runs from a folder of its own: no DLL beside it.
mkdir "$alone/run"
cp "$build/qvltags.exe" "$alone/run/"
cp tests/fuzz/corpus/fuzz_datafile/*.qvl "$alone/"
sheets=("$alone"/*.qvl)
compared=0
for sheet in "${sheets[@]}"; do
  for mode in "" --utf8; do
    set +e
    "$linux_tool" $mode "$sheet" >"$alone/linux.out" 2>/dev/null
    linux_rc=$?
    (cd "$alone/run" && wine ./qvltags.exe $mode "../$(basename "$sheet")") >"$alone/windows.out" 2>/dev/null
    windows_rc=$?
    set -e
    if [ "$linux_rc" != "$windows_rc" ] || ! cmp -s "$alone/linux.out" "$alone/windows.out"; then
      echo "FAILED: qvltags.exe $mode $(basename "$sheet"): exit $windows_rc (Linux $linux_rc)"
      status=1
    fi
    compared=$((compared + 1))
  done
done
head -c 23552 /dev/zero | tr '\0' x >"$alone/damaged.qvl"
set +e
(cd "$alone/run" && wine ./qvltags.exe ../damaged.qvl) >/dev/null 2>&1
damaged_rc=$?
set -e
if [ "$damaged_rc" != 1 ]; then
  echo "FAILED: qvltags.exe on a damaged file exited $damaged_rc, not 1"
  status=1
fi
echo "qvltags.exe: $compared runs compared with Linux, damaged file exit $damaged_rc"

# The editor and its window tests, against the static Qt that scripts/build-qt-windows.sh makes
# once and keeps (11 to 30 minutes on 2 cores); later runs find it at once.
echo "== the editor and its window tests under wine"
bash scripts/build-qt-windows.sh
editor_build=$root/build-windows-editor
# Window tests that cannot run under wine, with the reason; they still run on Linux. The preview,
# phone and Japanese-face tests run with their browser cases skipping themselves in this build.
declare -A wine_skips=(
  [test_recovery_process]="kills a running editor with a POSIX signal (not built for Windows)"
  [test_startup]="starts editors with POSIX settings files (not built for Windows)"
  [test_close_process]="closes a real editor through the X server and watches it with POSIX calls (not built for Windows)"
)
# The page engine for Windows, into its cache beside the Qt cache (once).
bash scripts/build-litehtml.sh windows || { echo "FAILED: the page engine for Windows did not build"; exit 1; }
# Window tests that need real windows on a display rather than the headless platform.
declare -A wine_display=([test_close_request]=1 [test_window_frame]=1)
# QUORVEL_WINE_TESTS="test_a test_b" runs only those.
wanted=()
for source in tests/ui/test_*.cpp; do
  name=$(basename "$source" .cpp)
  if [ -n "${QUORVEL_WINE_TESTS:-}" ] && [[ " $QUORVEL_WINE_TESTS " != *" $name "* ]]; then
    continue
  fi
  wanted+=("$name")
done
runnable=()
for name in "${wanted[@]}"; do
  [ -n "${wine_skips[$name]:-}" ] || runnable+=("$name")
done
# Only what runs is built: every window test links the whole static Qt.
bash scripts/build-windows-editor.sh quorvel qvltags picture_tests page_tests "${runnable[@]}"
# NSIS and zip for the installer below, and Qt's Japanese texts, which the installed program
# has beside it.
bash scripts/install-deps.sh windows-package
mkdir -p "$editor_build/translations"
cp /usr/share/qt6/translations/qtbase_ja.qm "$editor_build/translations/"
# Wine passes no QT_* variable from the host, so the headless platform and its fonts are named
# in the prefix's own environment. That platform finds fonts only in the folder named here.
wine reg add 'HKCU\Environment' /v QT_QPA_PLATFORM /d offscreen /f >/dev/null 2>&1
wine reg add 'HKCU\Environment' /v QT_QPA_FONTDIR \
  /d "Z:$(echo /usr/share/fonts/opentype/ipafont-gothic | tr / '\\')" /f >/dev/null 2>&1
# The page engine's face, as the zip carries it beside the program.
wine reg add 'HKCU\Environment' /v QUORVEL_PAGE_FONT_DIR \
  /d "Z:$(echo /usr/share/fonts/opentype/noto | tr / '\\')" /f >/dev/null 2>&1
wineserver -w
# The picture store as a client over HTTPS with the system's TLS (Schannel). No openssl command
# runs under wine, so the test server's certificate is made here; and wine's Schannel cannot
# serve, so socat puts TLS in front of the test's server on two fixed loopback ports.
echo "== the picture store under wine"
certificates=$editor_build/test-certificate
mkdir -p "$certificates"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 \
  -keyout "$certificates/key.pem" -out "$certificates/cert.pem" -subj /CN=127.0.0.1 \
  -addext subjectAltName=IP:127.0.0.1 2>/dev/null
front=47443 back=47444
socat "OPENSSL-LISTEN:$front,bind=127.0.0.1,reuseaddr,fork,cert=$certificates/cert.pem,key=$certificates/key.pem,verify=0" \
  "TCP:127.0.0.1:$back" 2>/dev/null &
tls_front=$!
# Ended however the script ends: one left behind would answer the next run with its old certificate.
trap 'rm -rf "$alone"; kill "$tls_front" 2>/dev/null || true' EXIT
until (exec 3<>"/dev/tcp/127.0.0.1/$front") 2>/dev/null; do
  kill -0 "$tls_front" 2>/dev/null || { echo "FAILED: socat did not listen on $front"; exit 1; }
  sleep 0.1
done
# The tests' servers sit behind the TLS front.
tls_env=(env QUORVEL_TEST_CERT_DIR="Z:$(echo "$certificates" | tr / '\\')" QUORVEL_TEST_TLS_FRONT="$front:$back")
# A GoogleTest program of the editor's build under wine, its skips listed and its failure counted.
run_gtest() { # NAME
  local rc
  set +e
  (cd "$editor_build" && "${tls_env[@]}" "${japanese[@]}" timeout 300 wine "./$1.exe") \
    2>&1 | tr -d '\r' | tee "$editor_build/$1.log"
  rc=${PIPESTATUS[0]}
  set -e
  gtest_skips "$editor_build/$1.log" "$1.exe (wine)" >>"$skips"
  if [ "$rc" != 0 ]; then
    echo "FAILED $1.exe (exit $rc)"
    status=1
  fi
}
run_gtest picture_tests
# The page engine: the fidelity fixtures against the same browser files as on Linux, the
# designs, the pictures in the page, and the tool's figure.
echo "== the page engine under wine"
run_gtest page_tests
# qvltags.exe --check gives the Linux tool's figures for the fixture sheets, from the engine.
echo "== qvltags.exe --check against the Linux tool"
checked=0
[ -x "$root/build/qvltags" ] || { echo "FAILED: no Linux qvltags with the page engine in build/"; status=1; }
for sheet in tests/page/fidelity/*.qvl; do
  [ -x "$root/build/qvltags" ] || break
  linux_check=$("$root/build/qvltags" --check "$sheet" 2>&1 || true)
  windows_check=$(cd "$editor_build" && "${japanese[@]}" wine ./qvltags.exe --check \
    "Z:$(echo "$root/$sheet" | tr / '\\')" 2>&1 | tr -d '\r' || true)
  if [ "$linux_check" != "$windows_check" ]; then
    echo "FAILED: qvltags --check differs for $sheet:"
    diff <(echo "$linux_check") <(echo "$windows_check") | head -10 || true
    status=1
  fi
  checked=$((checked + 1))
done
echo "qvltags.exe --check: $checked sheets compared with the Linux tool"
passed=0 failed=0 skipped=0
for name in "${wanted[@]}"; do
  if [ -n "${wine_skips[$name]:-}" ]; then
    echo "SKIPPED $name: ${wine_skips[$name]}"
    echo "wine $name: ${wine_skips[$name]}" >>"$skips"
    skipped=$((skipped + 1))
    continue
  fi
  display=()
  if [ -n "${wine_display[$name]:-}" ]; then
    # Wine's desktop is made by the first program of a session, for its display or for none:
    # such a test starts a session of its own, and the next test again.
    wineserver -w
    display=(xvfb-run -a)
  fi
  set +e
  # The picture tests' servers sit behind the same TLS front as the store's.
  (cd "$editor_build" && "${tls_env[@]}" \
    "${japanese[@]}" "${display[@]}" timeout 300 wine "./$name.exe" -o "$name.log,txt") \
    >/dev/null 2>&1
  rc=$?
  set -e
  [ ${#display[@]} = 0 ] || wineserver -w
  [ ! -f "$editor_build/$name.log" ] || qtest_skips "$editor_build/$name.log" "wine $name" >>"$skips"
  if [ "$rc" = 0 ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    status=1
    echo "FAILED $name (exit $rc):"
    tr -d '\r' <"$editor_build/$name.log" | grep -E '^(FAIL|QFATAL|Totals)' | head -5 || true
  fi
done
kill "$tls_front" 2>/dev/null || true
echo "window tests under wine: $passed passed, $failed failed, $skipped skipped"
echo "== the seller's zip and installer, installed, started and removed under wine"
if bash scripts/package-windows.sh; then
  "${japanese[@]}" xvfb-run -a bash scripts/check-windows-installer.sh \
    "$(ls -t dist/Quorvel-*-setup.exe | head -1)" ||
    status=1
else
  echo "FAILED: the zip and installer could not be made"
  status=1
fi
exit $status
