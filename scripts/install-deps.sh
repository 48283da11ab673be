#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Quorvel need. Idempotent.
set -euo pipefail
packages=(
  build-essential cmake git pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  qt6-base-dev qt6-webengine-dev qt6-svg-dev libqt6svg6 libgl-dev
  xvfb xauth fonts-ipafont-gothic qt6-translations-l10n
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=300 -o Acquire::Retries=3 update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=300 \
    -o Acquire::Retries=3 -y --no-install-recommends install "${missing[@]}"
fi
