#!/bin/sh
# Draws the button pictures and the program icon with ImageMagick; the PNGs are committed.
# Each is drawn at its own size and, as name@2x.png, at twice that size, which QIcon picks by
# itself on a screen with a device pixel ratio of 2 (QT_SCALE_FACTOR=2, HiDPI displays).
set -e
cd "$(dirname "$0")"
for scale in 1 2; do
  if [ "$scale" = 1 ]; then
    at='' suffix=''
  else
    # ImageMagick's coordinates are pixel centres: doubling them plus half a pixel keeps every
    # edge of the small picture on a pixel edge of the large one. Stroke widths scale too.
    at='affine 2,0,0,2,0.5,0.5 ' suffix='@2x'
  fi
  small=$((32 * scale))x$((32 * scale))
  large=$((64 * scale))x$((64 * scale))
  # New: a blank sheet with a folded corner and a green plus.
  convert -size "$small" xc:none -stroke black -strokewidth 1 -fill white \
    -draw "${at}polygon 7,3 20,3 26,9 26,29 7,29" -fill '#c8c8c8' -draw "${at}polygon 20,3 20,9 26,9" \
    -stroke '#008000' -strokewidth 3 -draw "${at}line 16,12 16,24" -draw "${at}line 10,18 22,18" \
    "new$suffix.png"
  # Open: a yellow folder, its lid open.
  convert -size "$small" xc:none -stroke '#6b4e00' -strokewidth 1 -fill '#e0b000' \
    -draw "${at}polygon 3,8 11,8 13,11 27,11 27,27 3,27" -fill '#ffd840' \
    -draw "${at}polygon 6,15 30,15 26,27 3,27" "open$suffix.png"
  # Save: a blue floppy disk with its label and shutter.
  convert -size "$small" xc:none -stroke '#000040' -strokewidth 1 -fill '#2050d0' \
    -draw "${at}polygon 4,4 25,4 28,7 28,28 4,28" -fill white -draw "${at}rectangle 8,5 23,14" \
    -fill '#c0c0c0' -draw "${at}rectangle 9,19 23,28" -fill '#2050d0' -draw "${at}rectangle 18,21 21,26" \
    "save$suffix.png"
  # CHECK: a silver disc with a green tick.
  convert -size "$small" xc:none -stroke '#404040' -strokewidth 1 -fill '#d8d8e8' \
    -draw "${at}circle 15,16 15,3" -fill '#404060' -draw "${at}circle 15,16 15,13" \
    -stroke '#00a000' -strokewidth 4 -fill none -draw "${at}polyline 12,17 18,24 29,7" "check$suffix.png"
  # Program icon: a disc on the window's blue with a yellow tick. packaging/icons/ holds the same
  # picture as SVG for the desktop.
  convert -size "$large" xc:none -fill '#000080' -stroke '#000040' \
    -draw "${at}roundrectangle 1,1 62,62 10,10" \
    -fill '#c8c8dc' -stroke '#202040' -strokewidth 2 -draw "${at}circle 30,32 30,8" \
    -fill '#000080' -draw "${at}circle 30,32 30,26" \
    -stroke '#ffff00' -strokewidth 7 -fill none -draw "${at}polyline 22,34 34,48 58,14" \
    "kelvane$suffix.png"
done
