#!/usr/bin/env bash
# The set-up scripts as an ordinary user meets them: no display, not root, no sudo. They run
# from a copy of scripts/ with apt-get, cmake, sudo and dpkg-query replaced by recorders, so
# nothing is installed or built; the PATH otherwise mirrors the system's, without sudo.
# usage: newcomer-scripts.sh SOURCE_DIR
set -uo pipefail
source_dir=$(cd "${1:?usage: $0 SOURCE_DIR}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"

# As root the non-root paths run as nobody.
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  if setpriv --reuid=nobody --regid=nogroup --clear-groups true 2>/dev/null; then
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  elif runuser -u nobody -- true 2>/dev/null; then
    as_user=(runuser -u nobody --)
  else
    echo "FAILED: running as root and cannot become an ordinary user (no setpriv or runuser)"
    exit 1
  fi
fi

mkdir -p "$work/tree" "$work/mirror" "$work/stubs" "$work/sudo"
cp -r "$source_dir/scripts" "$work/tree/"
# Every program of the system except sudo.
for dir in /usr/local/bin /usr/bin /bin /usr/sbin /sbin; do
  [ -d "$dir" ] || continue
  for program in "$dir"/*; do
    name=${program##*/}
    [ "$name" != sudo ] && [ -x "$program" ] && [ ! -e "$work/mirror/$name" ] &&
      ln -s "$program" "$work/mirror/$name"
  done
done
log=$work/calls.log
# Recorders: each call is logged with the DEBIAN_FRONTEND it saw.
for name in apt-get cmake; do
  printf '#!/bin/sh\necho "%s DEBIAN_FRONTEND=${DEBIAN_FRONTEND:-} $*" >>"%s"\n' "$name" "$log" \
    >"$work/stubs/$name"
done
# Packages named in STUB_MISSING are reported as not installed, every other one as installed.
cat >"$work/stubs/dpkg-query" <<'EOF'
#!/bin/sh
for p; do :; done
case " $STUB_MISSING " in *" $p "*) exit 1 ;; esac
printf 'install ok installed'
EOF
# Like the real sudo, it clears the environment of the command it runs.
printf '#!/bin/sh\necho "sudo $*" >>"%s"\nexec env -i PATH="$PATH" "$@"\n' "$log" \
  >"$work/sudo/sudo"
chmod 755 "$work"/stubs/* "$work"/sudo/sudo "$work/tree"
touch "$log"
chmod 666 "$log"
# The page engine's cache as a built one, so its recipe returns at once.
mkdir -p "$work/litehtml"
touch "$work/litehtml/.quorvel-built"
plain_path=$work/stubs:$work/mirror
sudo_path=$work/sudo:$plain_path

failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}
# run USER(user|self) PATH SCRIPT ARGS...: runs in a clean environment without a display; sets
# rc, err (standard error) and calls (what the recorders saw).
run() {
  local who=$1 path=$2
  shift 2
  : >"$log"
  local prefix=()
  [ "$who" = self ] || prefix=("${as_user[@]}")
  err=$(cd "$work" && "${prefix[@]}" env -i HOME="$work" PATH="$path" LANG=C \
    QUORVEL_LITEHTML_LINUX="$work/litehtml" \
    STUB_MISSING="${STUB_MISSING:-}" ${EXTRA_ENV:-} bash "$@" 2>&1 >/dev/null)
  rc=$?
  calls=$(cat "$log")
}
one_line() { [ -n "$err" ] && [ "$(printf '%s\n' "$err" | wc -l)" -eq 1 ]; }

# No display: one line naming the headless way, before anything is installed or built.
STUB_MISSING="qt6-base-dev"
run user "$plain_path" tree/scripts/run-editor.sh
[ "$rc" -ne 0 ] || fail "run-editor.sh without a display exited 0"
one_line || fail "run-editor.sh without a display: not one line: $err"
[[ $err == *"desktop session"* && $err == *"QT_QPA_PLATFORM=offscreen"* ]] ||
  fail "run-editor.sh without a display does not name the desktop or the headless try: $err"
[ -z "$calls" ] || fail "run-editor.sh without a display went on: $calls"

# A display, or a chosen platform, passes the check.
STUB_MISSING=""
for env_var in DISPLAY=:95 WAYLAND_DISPLAY=wayland-0 QT_QPA_PLATFORM=offscreen; do
  EXTRA_ENV=$env_var run user "$plain_path" tree/scripts/run-editor.sh
  [[ $calls == *"cmake DEBIAN_FRONTEND= --build build"* ]] ||
    fail "run-editor.sh with $env_var did not build: $err"
done

# Not root and no sudo: every command stops before building with one line naming the missing
# packages (only those) and the command to install them.
STUB_MISSING="qt6-base-dev fonts-ipafont-gothic"
for script in run-editor.sh run-tests.sh build-package.sh; do
  EXTRA_ENV=QT_QPA_PLATFORM=offscreen run user "$plain_path" "tree/scripts/$script"
  [ "$rc" -ne 0 ] || fail "$script without sudo exited 0"
  one_line || fail "$script without sudo: not one line: $err"
  [[ $err == *"apt-get install --no-install-recommends qt6-base-dev fonts-ipafont-gothic"* ]] ||
    fail "$script without sudo does not name the packages and the command: $err"
  [[ $err != *" cmake"* && $err != *"sudo: "* ]] || fail "$script without sudo: $err"
  [ -z "$calls" ] || fail "$script without sudo went on: $calls"
done

# Not root, with sudo: apt-get gets the non-interactive setting through sudo.
run user "$sudo_path" tree/scripts/install-deps.sh editor
[ "$rc" -eq 0 ] || fail "install-deps.sh with sudo exited $rc: $err"
wanted="apt-get DEBIAN_FRONTEND=noninteractive "*" install qt6-base-dev fonts-ipafont-gothic"
[[ $calls == *$wanted* ]] ||
  fail "install-deps.sh with sudo: apt-get did not run non-interactively: $calls"
[[ $calls == "sudo env DEBIAN_FRONTEND=noninteractive apt-get"* ]] ||
  fail "install-deps.sh with sudo did not go through sudo: $calls"

# Nothing missing: nothing is installed and sudo is not needed.
STUB_MISSING=""
run user "$plain_path" tree/scripts/install-deps.sh tests
[ "$rc" -eq 0 ] && [ -z "$calls" ] || fail "install-deps.sh with nothing missing: $rc $calls $err"

# Root: apt-get directly, non-interactively, even where sudo is there.
if [ "$(id -u)" -eq 0 ]; then
  STUB_MISSING="lintian"
  run self "$sudo_path" tree/scripts/install-deps.sh package
  [ "$rc" -eq 0 ] || fail "install-deps.sh as root exited $rc: $err"
  [[ $calls == "apt-get DEBIAN_FRONTEND=noninteractive "* && $calls != *sudo* &&
    $calls == *"install lintian" ]] || fail "install-deps.sh as root: $calls"
else
  echo "not run: the root case (this test is not running as root)"
fi

[ "$failures" -eq 0 ] || exit 1
echo "newcomer scripts: all checks passed"
