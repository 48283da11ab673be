#!/usr/bin/env bash
# Renders the hicolor PNG sizes from the two scalable icons (needs rsvg-convert, librsvg2-bin);
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
