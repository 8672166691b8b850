#!/bin/sh
# Draws the window icon: a quill over a magnifying glass on a rounded teal tile, 128 x 128,
# 32-bit RGBA. Run from this folder after changing the drawing; the PNG is kept in the repo.
set -eu
convert -size 128x128 xc:none \
  -fill '#1f7a8c' -draw 'roundrectangle 4,4 123,123 22,22' \
  -fill none -stroke '#ffffff' -strokewidth 10 -draw 'circle 54,56 54,24' \
  -stroke '#ffffff' -strokewidth 14 -draw 'line 78,80 106,108' \
  -stroke none -fill '#f2c14e' -draw 'polygon 36,88 84,22 92,28 44,92' \
  -fill '#e07a5f' -draw 'polygon 36,88 44,92 32,100' \
  -define png:color-type=6 PNG32:quillmere.png
