#!/usr/bin/env bash
# Builds the screenshot tool and takes a picture of every screen under Xvfb
# (the real X11 platform, not offscreen) into docs/screenshots/.
#   scripts/screenshots.sh [screen name ...]
# BUILD_DIR chooses the build folder (default build).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
build_dir="${BUILD_DIR:-build}"
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" -j2 --target pagelore-screenshots
mkdir -p docs/screenshots
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$build_dir/tools/screenshots/pagelore-screenshots" docs/screenshots "$@"
