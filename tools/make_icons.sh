#!/usr/bin/env bash
# Draws the tray pictures into resources/icons (see make_icons.cpp). Run again after changing
# the drawing and keep the PNG files with the sources.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck disable=SC2046
g++ -std=c++20 -fPIC -O1 -o "$work/make_icons" "$ROOT/tools/make_icons.cpp" $(pkg-config --cflags --libs Qt6Gui)
mkdir -p "$ROOT/resources/icons"
QT_QPA_PLATFORM=offscreen "$work/make_icons" "$ROOT/resources/icons"
ls "$ROOT/resources/icons"
