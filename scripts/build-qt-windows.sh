#!/usr/bin/env bash
# Builds a static Qt for 64-bit Windows (MinGW-w64) from Debian's own qt6-base and qt6-svg
# sources, once, into a cache folder outside the clone; later runs find it and return at once.
# Only what the editor and its tests use is built, so that a fresh machine's first test run
# fits its time; the folder's name changes with the recipe, so an older cache is never taken.
#   QUORVEL_QT_WINDOWS  the cache folder (default: scripts/lib/qt-windows-prefix.sh)
# The system's apt sources are never changed: the deb-src entry lives in a private apt
# configuration beside the cache, and apt checks the downloads against the signed index.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
. scripts/lib/qt-windows-prefix.sh
. scripts/lib/cache-recipe.sh
cache_recipe_start build-qt-windows "$qt_windows" "Qt for MinGW-w64"
elapsed() { echo "$(( $(date +%s) - started )) s"; }
if [ ! -d "$src/qtbase" ] || [ ! -d "$src/qtsvg" ]; then
  debian_source_update
fi
debian_source_fetch qt6-base qtbase || { say "could not fetch qt6-base"; exit 1; }
with_svg=1
if ! debian_source_fetch qt6-svg qtsvg; then
  # Seen here: the archive lists qt6-svg 6.4.2-2 but serves 404 for its files. The editor's
  # Windows build then draws its toolbar glyphs from pictures rendered at build time.
  say "qt6-svg's source could not be fetched: building without Qt Svg"
  with_svg=0
fi
# Qt 6.4.2's Windows platform plugin asks for dynamic OpenGL even when OpenGL is switched off.
sed -i 's/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' \
  "$src/qtbase/src/plugins/platforms/windows/qwindowswindow.cpp"
# And it reaches for the DirectWrite font database, which Gui builds only with Direct2D.
sed -i '506s/^#if QT_CONFIG(directwrite3)$/#if QT_CONFIG(directwrite3) \&\& QT_CONFIG(direct2d)/' \
  "$src/qtbase/src/plugins/platforms/windows/qwindowsintegration.cpp"
say "sources ready after $(elapsed)"

toolchain=$root/cmake/mingw-w64-x86_64.cmake
jobs=${QUORVEL_QT_JOBS:-$(nproc)}
host=(-DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake)
common=(-G Ninja --toolchain "$toolchain" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix"
  -DBUILD_SHARED_LIBS=OFF -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF "${host[@]}")

if [ ! -f "$work/qtbase-build/.installed" ]; then
  say "configuring qtbase"
  # Debian's source drops the Wintab header, so tablet events go; the editor needs none of the
  # modules and widgets switched off here. HarfBuzz stays in, though Shift_JIS text needs no
  # shaping: without it Latin runs lose their kerning, and the page engine's widths then part
  # from the browser's by several pixels on a line. -Os instead of -O3: a smaller program and a
  # quicker build, and nothing the editor does is bound by Qt's inner loops. Qt Network is in
  # for the page's pictures, with TLS from the system (Schannel), so no OpenSSL ships.
  cmake -S "$src/qtbase" -B "$work/qtbase-build" "${common[@]}" \
    -DFEATURE_optimize_size=ON -DFEATURE_direct2d=OFF -DFEATURE_direct2d1_1=OFF \
    -DFEATURE_ico=OFF -DFEATURE_pdf=OFF \
    -DFEATURE_textmarkdownreader=OFF -DFEATURE_textmarkdownwriter=OFF -DFEATURE_textodfwriter=OFF \
    -DFEATURE_movie=OFF -DFEATURE_sessionmanager=OFF -DFEATURE_vulkan=OFF \
    -DFEATURE_graphicsview=OFF -DFEATURE_graphicseffect=OFF -DFEATURE_mdiarea=OFF \
    -DFEATURE_calendarwidget=OFF -DFEATURE_datetimeedit=OFF -DFEATURE_wizard=OFF \
    -DFEATURE_keysequenceedit=OFF -DFEATURE_lcdnumber=OFF -DFEATURE_dial=OFF \
    -DFEATURE_fontcombobox=OFF -DFEATURE_fontdialog=OFF -DFEATURE_errormessage=OFF \
    -DFEATURE_columnview=OFF -DFEATURE_toolbox=OFF -DFEATURE_undoview=OFF \
    -DFEATURE_datawidgetmapper=OFF -DFEATURE_syntaxhighlighter=OFF -DFEATURE_splashscreen=OFF \
    -DFEATURE_sharedmemory=OFF -DFEATURE_systemsemaphore=OFF \
    -DFEATURE_islamiccivilcalendar=OFF -DFEATURE_jalalicalendar=OFF \
    -DFEATURE_network=ON -DFEATURE_ssl=ON -DFEATURE_schannel=ON -DFEATURE_openssl=OFF \
    -DFEATURE_gssapi=OFF -DFEATURE_sctp=OFF -DFEATURE_networklistmanager=OFF \
    -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF \
    -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_printsupport=OFF \
    -DFEATURE_tabletevent=OFF -DFEATURE_testlib=ON -DFEATURE_widgets=ON \
    -DFEATURE_freetype=ON -DFEATURE_system_freetype=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF \
    -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF -DFEATURE_sql_sqlite=OFF \
    >"$work/qtbase-configure.log" 2>&1 || { tail -40 "$work/qtbase-configure.log"; exit 1; }
  say "building qtbase with $jobs jobs (10 to 30 minutes on 2 cores) after $(elapsed)"
  cmake --build "$work/qtbase-build" -j"$jobs" >"$work/qtbase-build.log" 2>&1 ||
    { grep -m20 -B2 -A8 'error' "$work/qtbase-build.log" | head -80; exit 1; }
  cmake --install "$work/qtbase-build" >/dev/null
  touch "$work/qtbase-build/.installed"
fi
say "qtbase installed after $(elapsed)"

if [ "$with_svg" = 1 ] && [ ! -f "$work/qtsvg-build/.installed" ]; then
  say "configuring and building qtsvg"
  # qt-cmake chains our toolchain file and adds the new Qt to the cross search roots.
  "$prefix/bin/qt-cmake" -S "$src/qtsvg" -B "$work/qtsvg-build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    >"$work/qtsvg-configure.log" 2>&1 ||
    { tail -40 "$work/qtsvg-configure.log"; exit 1; }
  cmake --build "$work/qtsvg-build" -j"$jobs" >"$work/qtsvg-build.log" 2>&1 ||
    { grep -m20 -B2 -A8 'error' "$work/qtsvg-build.log" | head -80; exit 1; }
  cmake --install "$work/qtsvg-build" >/dev/null
  touch "$work/qtsvg-build/.installed"
fi

echo "svg=$with_svg" >"$stamp"
say "Qt for MinGW-w64 built into $prefix in $(elapsed)"
