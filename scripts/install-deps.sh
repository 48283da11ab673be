#!/usr/bin/env bash
# Installs the Debian 12 packages Quorvel needs. Idempotent: only missing packages are installed.
# As root it runs apt-get, as another user sudo apt-get; without sudo it names the missing
# packages and the command to install them in one line and fails, before anything is built.
# usage: install-deps.sh [editor|tests|package|windows|windows-qt|windows-package]
#   editor   building and running the editor and qvltags
#   tests    the editor set plus what the tests need (the default)
#   package  the editor set plus what making and checking the Debian package needs
#   windows  the cross compiler and wine for the Windows build of the core
#   windows-qt  the windows set plus what building Qt for MinGW-w64 from Debian's sources needs
#   windows-package  the windows set plus NSIS and zip for the seller's zip and installer
set -euo pipefail
editor_packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-webengine-dev qt6-svg-dev libqt6svg6 libgl-dev libxcb1-dev
  fonts-noto-color-emoji
  fonts-ipafont-gothic qt6-translations-l10n
  fonts-noto-cjk libfontconfig-dev
)
test_packages=(
  git libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth ccache
  desktop-file-utils appstream shared-mime-info
  openbox man-db locales openssl
)
package_packages=(dpkg-dev file lintian)
# The MinGW-w64 cross build of the core and its tests under wine (no Qt).
windows_packages=(cmake g++ make libgtest-dev g++-mingw-w64-x86-64-posix wine wine64 locales
  xvfb xauth openbox xdotool fonts-ipafont-gothic ccache)
# Qt's own build tools (moc, rcc, uic) come from the host's Qt of the same version.
windows_qt_packages=("${windows_packages[@]}" ninja-build dpkg-dev perl qt6-base-dev qt6-base-dev-tools)
# The seller's zip and installer: NSIS, zip, and Qt's Japanese texts; socat and openssl put
# the picture tests' TLS in front of their server under wine.
windows_package_packages=("${windows_packages[@]}" nsis zip qt6-translations-l10n fonts-noto-cjk
  fonts-noto-color-emoji socat openssl)
case "${1:-tests}" in
  editor) packages=("${editor_packages[@]}") ;;
  tests) packages=("${editor_packages[@]}" "${test_packages[@]}") ;;
  package) packages=("${editor_packages[@]}" "${package_packages[@]}") ;;
  windows) packages=("${windows_packages[@]}") ;;
  windows-qt) packages=("${windows_qt_packages[@]}") ;;
  windows-package) packages=("${windows_package_packages[@]}") ;;
  *) echo "usage: $0 [editor|tests|package|windows|windows-qt|windows-package]" >&2; exit 2 ;;
esac
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -gt 0 ] || exit 0

# The one line an ordinary user gets when this script cannot install for them.
cannot_install() {
  echo "Quorvel needs these Debian packages, which are not installed: ${missing[*]}. $1" \
    "Install them as root with \"apt-get install --no-install-recommends ${missing[*]}\" (for" \
    "example through \"su -c\"), then run this command again." >&2
  exit 1
}
if ! command -v apt-get >/dev/null; then
  echo "Quorvel's scripts install Debian 12 packages with apt-get, which this system lacks;" \
    "install the equivalents of: ${missing[*]}, then build with CMake (see README.md)." >&2
  exit 1
fi
# sudo drops DEBIAN_FRONTEND from the environment, so it is set inside the command run as root.
apt=(env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 -o Acquire::Retries=3)
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || cannot_install "This user is not root and there is no sudo."
  apt=(sudo "${apt[@]}")
  echo "Installing with sudo: ${missing[*]}" >&2
  "${apt[@]}" update -qq || cannot_install "sudo apt-get update failed (see above)."
  "${apt[@]}" -y --no-install-recommends install "${missing[@]}" ||
    cannot_install "sudo apt-get install failed (see above)."
  exit 0
fi
"${apt[@]}" update -qq
"${apt[@]}" -y --no-install-recommends install "${missing[@]}"
