#!/bin/sh
# Renders the desktop icon's PNG sizes from its SVG with rsvg-convert (Debian: librsvg2-bin);
# the PNGs are committed, so building needs neither.
set -e
cd "$(dirname "$0")"
id=io.github.kelvane.Kelvane
for size in 48 64 128 256; do
  mkdir -p "${size}x${size}"
  rsvg-convert --width "$size" --height "$size" --format png "$id.svg" -o "${size}x${size}/$id.png"
done
