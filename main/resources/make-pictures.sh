#!/bin/sh
# Draws the button pictures and the program icon with ImageMagick; the PNGs are committed.
set -e
cd "$(dirname "$0")"
# New: a blank sheet with a folded corner and a green plus.
convert -size 32x32 xc:none -stroke black -strokewidth 1 -fill white \
  -draw "polygon 7,3 20,3 26,9 26,29 7,29" -fill '#c8c8c8' -draw "polygon 20,3 20,9 26,9" \
  -stroke '#008000' -strokewidth 3 -draw "line 16,12 16,24" -draw "line 10,18 22,18" new.png
# Open: a yellow folder, its lid open.
convert -size 32x32 xc:none -stroke '#6b4e00' -strokewidth 1 -fill '#e0b000' \
  -draw "polygon 3,8 11,8 13,11 27,11 27,27 3,27" -fill '#ffd840' \
  -draw "polygon 6,15 30,15 26,27 3,27" open.png
# Save: a blue floppy disk with its label and shutter.
convert -size 32x32 xc:none -stroke '#000040' -strokewidth 1 -fill '#2050d0' \
  -draw "polygon 4,4 25,4 28,7 28,28 4,28" -fill white -draw "rectangle 8,5 23,14" \
  -fill '#c0c0c0' -draw "rectangle 9,19 23,28" -fill '#2050d0' -draw "rectangle 18,21 21,26" \
  save.png
# CHECK: a silver disc with a green tick.
convert -size 32x32 xc:none -stroke '#404040' -strokewidth 1 -fill '#d8d8e8' \
  -draw "circle 15,16 15,3" -fill '#404060' -draw "circle 15,16 15,13" \
  -stroke '#00a000' -strokewidth 4 -fill none -draw "polyline 12,17 18,24 29,7" check.png
# Program icon: a disc on the window's blue with a yellow tick.
convert -size 64x64 xc:none -fill '#000080' -stroke '#000040' -draw "roundrectangle 1,1 62,62 10,10" \
  -fill '#c8c8dc' -stroke '#202040' -strokewidth 2 -draw "circle 30,32 30,8" \
  -fill '#000080' -draw "circle 30,32 30,26" \
  -stroke '#ffff00' -strokewidth 7 -fill none -draw "polyline 22,34 34,48 58,14" kelvane.png
