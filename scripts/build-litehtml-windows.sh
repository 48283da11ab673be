#!/usr/bin/env bash
# Builds the page engine for 64-bit Windows (MinGW-w64): Debian's gumbo-parser and litehtml
# sources as static libraries, once, into a cache folder outside the clone beside the Qt cache;
# later runs find it and return at once. It never touches the Qt cache.
#   QUORVEL_LITEHTML_WINDOWS  the cache folder (default: scripts/lib/litehtml-windows-prefix.sh)
# Exits 2 when the archive does not serve the sources, so that the editor's build can go on
# without the engine and say so.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
. scripts/lib/litehtml-windows-prefix.sh
. scripts/lib/cache-recipe.sh
cache_recipe_start build-litehtml-windows "$litehtml_windows" "the page engine for MinGW-w64"
if [ ! -d "$src/gumbo" ] || [ ! -d "$src/litehtml" ]; then
  debian_source_update
fi
# The same releases as Debian's liblitehtml-dev and libgumbo-dev, which the Linux build uses;
# Debian's patches are left out, as for Qt.
for package in gumbo-parser:gumbo litehtml:litehtml; do
  if ! debian_source_fetch "${package%%:*}" "${package##*:}"; then
    say "${package%%:*}'s source could not be fetched from the archive: no page engine for Windows"
    exit 2
  fi
done

toolchain=$root/cmake/mingw-w64-x86_64.cmake
jobs=${QUORVEL_QT_JOBS:-$(nproc)}
[ "$jobs" -le 2 ] || jobs=2
say "building gumbo and litehtml with $jobs jobs"
rm -rf "$work/build"
cmake -S cmake/litehtml-windows -B "$work/build" -G Ninja --toolchain "$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DGUMBO_SOURCE="$src/gumbo" -DLITEHTML_SOURCE="$src/litehtml" \
  >"$work/configure.log" 2>&1 || { tail -40 "$work/configure.log"; exit 1; }
cmake --build "$work/build" -j"$jobs" >"$work/build.log" 2>&1 ||
  { grep -m20 -B2 -A8 'error' "$work/build.log" | head -80; exit 1; }
cmake --install "$work/build" >/dev/null
echo "gumbo=$(ls "$src"/gumbo-parser_*.dsc | head -1 | xargs basename) litehtml=$(ls "$src"/litehtml_*.dsc | head -1 | xargs basename)" >"$stamp"
say "the page engine for MinGW-w64 built into $prefix in $(( $(date +%s) - started )) s"
