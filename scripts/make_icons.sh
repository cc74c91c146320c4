#!/usr/bin/env bash
# Makes the application icon sizes from the logo (resources/logo.png) with
# ImageMagick into resources/icons/hicolor/. Run it again after changing the
# logo; the PNGs are committed so that building needs no ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/.."
for size in 16 32 48 64 128 256; do
    folder="resources/icons/hicolor/${size}x${size}/apps"
    mkdir -p "$folder"
    convert resources/logo.png -filter Lanczos -resize "${size}x${size}" -depth 8 -strip "$folder/pagelore.png"
done
