#!/usr/bin/env bash
# Builds the page engine, litehtml 0.9 with the gumbo parser it carries, as two static libraries
# from Debian's source tarball, once, into a cache folder outside the clone; later runs find it
# and return at once.
#   build-litehtml.sh linux     for this machine, unless the system's own litehtml is 0.9
#   build-litehtml.sh windows   for 64-bit Windows with MinGW-w64, beside the Qt cache
# The folders come from scripts/lib/litehtml-prefix.sh (QUORVEL_LITEHTML_LINUX and
# QUORVEL_LITEHTML_WINDOWS choose others).
#
# The tarball is the upstream one of sid's litehtml 0.9-1. The archive serves it, but not the
# .dsc or Debian tarball that apt-get source would check it with, so it is checked here against
# the SHA-256 that sid's signed source index (Checksums-Sha256) lists for it, recorded below.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
target=${1:-linux}
tarball=litehtml_0.9.orig.tar.gz
tarball_sha256=c7d2bff0a300961aec2dbc347a1f8211737addc20fcba95f1058bb8893867642
. scripts/lib/litehtml-prefix.sh
case $target in
  linux)
    # One engine version everywhere: a system litehtml is taken only when it is 0.9 itself.
    if [ -f /usr/include/litehtml/document_container.h ] &&
      grep -qs 'draw_background(litehtml::uint_ptr hdc, const std::vector<litehtml::background_paint>' \
        /usr/include/litehtml/document_container.h; then
      echo "build-litehtml: the system's litehtml is 0.9; it is used as it is"
      exit 0
    fi
    cache=$litehtml_linux packages=editor toolchain=() ;;
  windows)
    cache=$litehtml_windows packages=windows toolchain=(--toolchain "$root/cmake/mingw-w64-x86_64.cmake") ;;
  *) echo "usage: $0 [linux|windows]" >&2; exit 2 ;;
esac
. scripts/lib/cache-recipe.sh
cache_recipe_start "build-litehtml ($target)" "$cache" "litehtml 0.9 for $target" "$packages"

source_dir=$work/src/litehtml-0.9
if [ ! -f "$source_dir/include/litehtml/document_container.h" ]; then
  # apt's own downloader, which every Debian system has, checks the hash as it fetches.
  if [ ! -f "$work/$tarball" ]; then
    say "fetching $tarball from $debian_source_uri"
    /usr/lib/apt/apt-helper -o Acquire::Retries=5 -o APT::Sandbox::User="$(id -un)" download-file \
      "$debian_source_uri/pool/main/l/litehtml/$tarball" "$work/$tarball.part" "SHA256:$tarball_sha256" ||
      { say "could not fetch $tarball with the recorded SHA-256"; exit 1; }
    mv "$work/$tarball.part" "$work/$tarball"
  fi
  echo "$tarball_sha256  $work/$tarball" | sha256sum -c --quiet - ||
    { say "$tarball does not have the recorded SHA-256"; rm -f "$work/$tarball"; exit 1; }
  rm -rf "$source_dir" "$work/src/unpack"
  mkdir -p "$work/src/unpack"
  tar -xzf "$work/$tarball" -C "$work/src/unpack" --strip-components=1
  mv "$work/src/unpack" "$source_dir"
fi

jobs=$(nproc)
[ "$jobs" -le 2 ] || jobs=2
say "building litehtml and gumbo with $jobs jobs"
rm -rf "$work/build"
# Position-independent, so that the fuzz harness and any shared module may link them too.
cmake -S "$source_dir" -B "$work/build" "${toolchain[@]}" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF -DLITEHTML_BUILD_TESTING=OFF \
  -DCMAKE_POSITION_INDEPENDENT_CODE=ON >"$work/configure.log" 2>&1 ||
  { tail -40 "$work/configure.log"; exit 1; }
cmake --build "$work/build" -j"$jobs" >"$work/build.log" 2>&1 ||
  { grep -m20 -B2 -A8 'error' "$work/build.log" | head -80; exit 1; }
cmake --install "$work/build" >/dev/null
echo "litehtml 0.9 from $tarball sha256=$tarball_sha256" >"$stamp"
say "litehtml 0.9 for $target built into $prefix in $(( $(date +%s) - started )) s"
