#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2

# The benchmark program keeps working: a small collection and one search,
# each answering with JSON lines only. No timing is checked here.
smoke=$(mktemp -d)
trap 'rm -rf "$smoke"' EXIT
bench/pagelore-bench generate "$smoke" --articles 2000 >"$smoke/generate.out"
bench/pagelore-bench search "$smoke" --repeat 1 >"$smoke/search.out"
python3 - "$smoke/generate.out" "$smoke/search.out" <<'PY'
import json, sys
for path in sys.argv[1:]:
    lines = open(path, encoding="utf-8").read().splitlines()
    assert lines, f"{path}: no output"
    for line in lines:
        record = json.loads(line)
        assert "op" in record and "median_ms" in record, f"{path}: {line}"
print("benchmark smoke test passed")
PY
