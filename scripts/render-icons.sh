#!/usr/bin/env bash
# Renders the hicolor PNG sizes from the two scalable icons and the toolbar glyphs as PNGs
# (needs rsvg-convert, librsvg2-bin);
# 16 pixels comes from the pixel-aligned drawings in resources/app/small, which stay sharp there.
# The PNGs are committed, so building and installing never needs the renderer; run this after
# changing an SVG.
set -euo pipefail
cd "$(dirname "$0")/../resources/app/hicolor"
for size in 16 24 32 48 64 128 256; do
  for kind in apps/example.merrow.Quorvel mimetypes/application-x-quorvel; do
    mkdir -p "${size}x${size}/$(dirname "$kind")"
    source=scalable/$kind.svg
    [ "$size" -ne 16 ] || source=../small/$(basename "$kind").svg
    rsvg-convert -w "$size" -h "$size" -o "${size}x${size}/$kind.png" "$source"
  done
done
# The toolbar glyphs at their own size and twice it, for a Qt built without its SVG module
# (the MinGW-w64 build): those builds draw these pictures instead.
cd ../../icons
mkdir -p png
for glyph in *.svg; do
  rsvg-convert -o "png/${glyph%.svg}.png" "$glyph"
  rsvg-convert -z 2 -o "png/${glyph%.svg}@2x.png" "$glyph"
done
