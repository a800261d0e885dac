#!/bin/sh
# Draws the about box's two pictures (ImageMagick), each at its size and at twice its size for
# screens scaled by 2 ("@2x", which Qt picks by itself): the side picture, 69 x 197, and the
# title picture, 157 x 50, whose background is transparent. The title's letters carry a light
# halo, so they read on a dark window as well as on a light one. Run from anywhere; writes into
# resources/about/. The results are committed, so a build never needs ImageMagick.
set -eu
out="$(cd "$(dirname "$0")/.." && pwd)/resources/about"
mkdir -p "$out"

for s in 1 2; do
    suffix=""
    [ "$s" = 1 ] || suffix="@${s}x"
    # Every coordinate of the 1x drawing, times the scale.
    p() { echo "$1" | awk -v s="$s" '{ for (i = 1; i <= NF; i++) { split($i, xy, ","); printf "%s%d,%d", (i > 1 ? " " : ""), xy[1] * s, xy[2] * s } }'; }
    n() { echo $(($1 * s)); }

    # Side picture: a dusk-blue strip with an alarm clock near the top and three chime rings below.
    convert -size "$(n 69)x$(n 197)" gradient:'#1d3b6e'-'#3f8fb0' \
        -stroke '#f4d35e' -strokewidth "$(n 3)" -fill '#fdf6e3' -draw "circle $(p '34,52 34,30')" \
        -stroke '#f4d35e' -strokewidth "$(n 2)" -fill '#f4d35e' \
        -draw "circle $(p '17,27 17,21')" -draw "circle $(p '51,27 51,21')" \
        -draw "line $(p '22,72 16,80')" -draw "line $(p '46,72 52,80')" \
        -stroke '#1d3b6e' -strokewidth "$(n 3)" -draw "line $(p '34,52 34,37')" -draw "line $(p '34,52 45,57')" \
        -stroke '#fdf6e3' -strokewidth "$s" -fill none \
        -draw "circle $(p '34,125 34,117')" -draw "circle $(p '34,125 34,109')" -draw "circle $(p '34,125 34,101')" \
        -fill '#fdf6e3' -stroke none -draw "circle $(p '34,125 34,122')" \
        -fill '#fdf6e3' -font DejaVu-Sans-Bold -pointsize "$(n 12)" -gravity south -annotate "+0+$(n 12)" 'Zarvo!' \
        -colors 64 PNG8:"$out/side$suffix.png"

    # Title picture: the name in navy with a light halo on a transparent background.
    convert -size "$(n 157)x$(n 50)" xc:none -font DejaVu-Sans-Bold-Oblique -pointsize "$(n 30)" -gravity center \
        -stroke '#fdf6e3' -strokewidth "$(n 5)" -fill '#fdf6e3' -annotate +0+0 'Zarvo!' \
        -stroke none -fill '#1d3b6e' -annotate +0+0 'Zarvo!' \
        PNG32:"$out/title$suffix.png"
done
