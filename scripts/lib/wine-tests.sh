# Sourced from the clone's top folder: the window tests the Windows part builds and runs under
# wine. Sets wine_skips (a test that cannot run under wine, with the reason; it still runs on
# Linux), wanted (every window test, or those QUORVEL_WINE_TESTS="test_a test_b" names) and
# runnable (wanted less wine_skips). The preview, phone and Japanese-face tests run, their
# browser cases skipping themselves in a build without the browser module.
declare -A wine_skips=(
  [test_recovery_process]="kills a running editor with a POSIX signal (not built for Windows)"
  [test_startup]="starts editors with POSIX settings files (not built for Windows)"
  [test_close_process]="closes a real editor through the X server and watches it with POSIX calls (not built for Windows)"
)
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
