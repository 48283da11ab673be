#!/usr/bin/env bash
# Builds the Debian package dist/quorvel_<version>-1_<arch>.deb with CPack and checks it with
# lintian (any error fails the script).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh package
bash scripts/build-litehtml.sh linux
. scripts/lib/litehtml-prefix.sh
source scripts/lib/compiler-cache.sh
# A build of its own: release flags with Debian's hardening, the programs only, installed in /usr.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
eval "$(dpkg-buildflags --export=sh)"
# CMake reads CFLAGS, CXXFLAGS and LDFLAGS but not CPPFLAGS (where the fortify flag is).
export CFLAGS="$CFLAGS $CPPFLAGS" CXXFLAGS="$CXXFLAGS $CPPFLAGS"
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DQUORVEL_BUILD_TESTS=OFF -DQUORVEL_BUILD_BENCH=OFF -DQUORVEL_DEBIAN_DOCS=ON "${launcher[@]}" \
  -DQUORVEL_LITEHTML="$litehtml_linux"
cmake --build build-package -j"${JOBS:-$(nproc)}"
(cd build-package && cpack -G DEB)
mkdir -p dist
deb=$(ls build-package/quorvel_*.deb)
# Only the package just made, so that "apt-get install ./dist/quorvel_*_amd64.deb" names one file.
rm -f dist/quorvel_*.deb
mv -f "$deb" dist/
deb=dist/$(basename "$deb")
echo "package: $deb"
# The whole control section (CPack writes its fields alphabetically, Package among them).
dpkg-deb --field "$deb"
# Errors fail the package; warnings and notes are shown.
lintian --fail-on error --info "$deb"
echo "lintian: no errors"
