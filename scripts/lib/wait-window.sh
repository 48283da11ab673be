# wait_for_window REGEX: prints the X window whose name matches, waiting up to 30 s for it;
# prints nothing when none comes.
wait_for_window() {
  local window=
  for _ in $(seq 60); do
    window=$(xdotool search --name "$1" 2>/dev/null | head -1)
    [ -n "$window" ] && break
    sleep 0.5
  done
  echo "$window"
}
