#!/usr/bin/env bash
# Draws the two thank-you pictures that TipWindow shows and writes them next to this script:
#   tip_picture_1.jpg  baseline JPEG, 1079 x 1066, 3 colour components
#   tip_picture_2.jpg  progressive JPEG, 1079 x 1466, 3 colour components
# The JPEGs are committed; run this again only to change the design. Needs ImageMagick and the
# Noto CJK fonts (both in scripts/setup).
set -euo pipefail
cd "$(dirname "$0")"

font=Noto-Sans-CJK-SC-Bold
small_font=Noto-Sans-CJK-SC

# draw_picture OUT WIDTH HEIGHT TOP BOTTOM ACCENT INTERLACE SUBTITLE
draw_picture() {
  local out=$1 width=$2 height=$3 top=$4 bottom=$5 accent=$6 interlace=$7 subtitle=$8
  convert -size "${width}x${height}" "gradient:${top}-${bottom}" \
    -fill none -stroke "$accent" -strokewidth 24 \
    -draw "roundrectangle 40,40 $((width - 41)),$((height - 41)) 60,60" \
    -stroke none -fill "$accent" \
    -draw "circle $((width / 2)),$((height / 3)) $((width / 2)),$((height / 3 - 150))" \
    -fill white -font "$font" -pointsize 150 -gravity center \
    -annotate "+0-$((height / 6))" "谢" \
    -fill '#333333' -pointsize 170 -annotate "+0+$((height / 8))" "谢谢支持" \
    -fill '#555555' -font "$small_font" -pointsize 64 -annotate "+0+$((height / 8 + 190))" "$subtitle" \
    -colorspace sRGB -type TrueColor -sampling-factor 2x2 -quality 88 \
    -interlace "$interlace" -strip "$out"
}

draw_picture tip_picture_1.jpg 1079 1066 '#fff4e0' '#ffd9a8' '#e0592a' none "一角两角，心意就好"
draw_picture tip_picture_2.jpg 1079 1466 '#e8f6ff' '#b9e0ff' '#2a7de0' JPEG "买根冰棒，清凉一夏"
