#!/usr/bin/env bash
# Builds the Debian package of Pagelore (Release build, stripped) into
# build-package/, e.g. build-package/pagelore_1.1.0_amd64.deb, and checks it
# with lintian (installed when missing), which must find no error. Install it
#   sudo apt install ./build-package/pagelore_*.deb
# which also brings the Qt libraries, the Japanese font and Qt's Japanese texts.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
build_dir="${1:-build-package}"
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DPAGELORE_BUILD_TESTS=OFF -DPAGELORE_BUILD_BENCH=OFF -DPAGELORE_BUILD_SCREENSHOTS=OFF >/dev/null
cmake --build "$build_dir" -j2 --target pagelore pagelore-demo pagelore_package_docs
rm -f "$build_dir"/*.deb
(cd "$build_dir" && cpack -G DEB >/dev/null)
if ! command -v lintian >/dev/null; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends lintian >/dev/null
fi
lintian --fail-on error "$build_dir"/*.deb
ls "$build_dir"/*.deb
