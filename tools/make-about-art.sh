#!/bin/sh
# Draws the about box's two pictures (ImageMagick): the side picture, 69 x 197, and the title
# picture, 157 x 50, whose background is transparent. Run from anywhere; writes into
# resources/about/. The results are committed, so a build never needs ImageMagick.
set -eu
out="$(cd "$(dirname "$0")/.." && pwd)/resources/about"
mkdir -p "$out"

# Side picture: a dusk-blue strip with an alarm clock near the top and three chime rings below.
convert -size 69x197 gradient:'#1d3b6e'-'#3f8fb0' \
    -stroke '#f4d35e' -strokewidth 3 -fill '#fdf6e3' -draw 'circle 34,52 34,30' \
    -stroke '#f4d35e' -strokewidth 2 -fill '#f4d35e' \
    -draw 'circle 17,27 17,21' -draw 'circle 51,27 51,21' \
    -draw 'line 22,72 16,80' -draw 'line 46,72 52,80' \
    -stroke '#1d3b6e' -strokewidth 3 -draw 'line 34,52 34,37' -draw 'line 34,52 45,57' \
    -stroke '#fdf6e3' -strokewidth 1 -fill none \
    -draw 'circle 34,125 34,117' -draw 'circle 34,125 34,109' -draw 'circle 34,125 34,101' \
    -fill '#fdf6e3' -stroke none -draw 'circle 34,125 34,122' \
    -fill '#fdf6e3' -font Helvetica-Bold -pointsize 13 -gravity south -annotate +0+12 'Zarvo!' \
    -colors 64 PNG8:"$out/side.png"

# Title picture: the name with a soft shadow on a transparent background.
convert -size 157x50 xc:none -font Helvetica-BoldOblique -pointsize 34 -gravity center \
    -fill '#9fb8d8' -annotate +2+2 'Zarvo!' \
    -fill '#1d3b6e' -annotate +0+0 'Zarvo!' \
    PNG32:"$out/title.png"
