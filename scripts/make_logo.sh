#!/usr/bin/env bash
# Draws the Pagelore logo (an open magazine with a bookmark on a dark blue
# tile) into resources/logo.png with ImageMagick. Run it again after changing
# the drawing; the PNG is committed so that building needs no ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/.."
convert -size 256x256 xc:none \
    -fill '#1f3a68' -draw 'roundrectangle 8,8 247,247 40,40' \
    -fill '#2d5496' -draw 'roundrectangle 8,8 247,150 40,40' \
    -fill '#1f3a68' -draw 'rectangle 8,110 247,150' \
    -fill '#f5f1e6' -stroke '#c9c2ae' -strokewidth 2 \
    -draw 'polygon 128,78 36,60 36,196 128,212' \
    -draw 'polygon 128,78 220,60 220,196 128,212' \
    -stroke '#8a93a6' -strokewidth 5 \
    -draw 'line 52,92 112,104' -draw 'line 52,114 112,126' -draw 'line 52,136 112,148' \
    -draw 'line 52,158 112,170' -draw 'line 52,180 96,189' \
    -draw 'line 144,104 204,92' -draw 'line 144,126 204,114' -draw 'line 144,148 204,136' \
    -stroke none -fill '#d8463a' -draw 'polygon 172,52 196,47 196,120 184,108 172,124' \
    -stroke '#c9c2ae' -strokewidth 3 -draw 'line 128,78 128,212' \
    resources/logo.png
