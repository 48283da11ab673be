#!/usr/bin/env bash
# Installs what is needed, builds the editor and starts it (arguments are passed on).
set -euo pipefail
cd "$(dirname "$0")/.."
# Without a display Qt aborts only after the whole build, with a message about reinstalling; say
# what is missing before installing or building anything. A chosen platform is left to Qt.
platform_chosen=${QT_QPA_PLATFORM:+yes}
for arg in "$@"; do
  case $arg in -platform | --platform | -platform=* | --platform=*) platform_chosen=yes ;; esac
done
if [ -z "$platform_chosen" ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "The editor needs a desktop session (no DISPLAY or WAYLAND_DISPLAY is set): run this in a" \
    "terminal on the desktop, or for a headless try run \"QT_QPA_PLATFORM=offscreen bash $0\"." >&2
  exit 1
fi
bash scripts/install-deps.sh editor
# The page engine, once, into its cache outside the clone.
bash scripts/build-litehtml.sh linux
. scripts/lib/litehtml-prefix.sh
# Only the editor: no test or benchmark libraries are needed for it.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEL_BUILD_TESTS=OFF -DQUORVEL_BUILD_BENCH=OFF \
  -DQUORVEL_LITEHTML="$litehtml_linux"
cmake --build build -j"$(nproc)" --target quorvel
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
exec ./build/quorvel "$@"
