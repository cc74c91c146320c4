#!/usr/bin/env bash
# Builds the Debian package of Pagelore (Release build, stripped) into
# build-package/, e.g. build-package/pagelore_1.0.1_amd64.deb. Install it with
#   sudo apt install ./build-package/pagelore_*.deb
# which also brings the Qt libraries, the Japanese font and Qt's Japanese texts.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
build_dir="${1:-build-package}"
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DPAGELORE_BUILD_TESTS=OFF -DPAGELORE_BUILD_BENCH=OFF -DPAGELORE_BUILD_SCREENSHOTS=OFF >/dev/null
cmake --build "$build_dir" -j2 --target pagelore
(cd "$build_dir" && cpack -G DEB >/dev/null)
ls "$build_dir"/*.deb
