#!/usr/bin/env bash
# Starts Pagelore on the demo collection: forty made-up articles with scanned
# pages for a dozen of them. Builds like scripts/run.sh, writes the demo into
# a folder of its own and starts the same pagelore program with its settings
# in that folder; your own settings and data are never touched.
#   scripts/demo.sh           keeps what you changed in the demo last time
#   scripts/demo.sh --reset   starts again from the untouched demo
# PAGELORE_DEMO_HOME chooses the folder (default ~/.local/share/pagelore-demo).
set -euo pipefail
cd "$(dirname "$0")/.."
reset=()
if [ "${1:-}" = "--reset" ]; then
    reset=(--replace)
    shift
fi
scripts/setup.sh
scripts/build.sh build
cmake --build build -j2 --target pagelore-demo >/dev/null

demo_home="${PAGELORE_DEMO_HOME:-${XDG_DATA_HOME:-$HOME/.local/share}/pagelore-demo}"
# The demo's own runtime folder holds its single-copy lock, so the demo may
# run beside your own Pagelore.
mkdir -p "$demo_home/runtime"
chmod 700 "$demo_home/runtime"
export XDG_RUNTIME_DIR="$demo_home/runtime"
build/tools/demo/pagelore-demo "$demo_home" "${reset[@]}" >/dev/null
echo "Demo collection: $demo_home"
XDG_CONFIG_HOME="$demo_home/config" exec build/src/pagelore "$@"
