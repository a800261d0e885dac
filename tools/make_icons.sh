#!/usr/bin/env bash
# Renders the program's icons from their scalable artwork (resources/icons/*.svg) into every
# size of the hicolor theme under resources/icons/hicolor. The PNG files are kept with the
# sources: the program carries them compiled in (sharp at any scale of the display) and the
# install puts them, with the SVG files, into the icon theme. Run again after changing the art.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
command -v rsvg-convert >/dev/null || { echo "rsvg-convert is missing (tools/deps.sh installs it)" >&2; exit 1; }
cd "$ROOT/resources/icons"
for svg in com.pelmark.Zarvo.svg com.pelmark.Zarvo-disabled.svg; do
    for size in 16 22 24 32 48 64 128 256; do
        mkdir -p "hicolor/${size}x${size}"
        rsvg-convert -w "$size" -h "$size" -o "hicolor/${size}x${size}/${svg%.svg}.png" "$svg"
    done
done
ls -R hicolor
