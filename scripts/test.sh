#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test:
#   1. the test suite (CTest),
#   2. a smoke run of the benchmark program,
#   3. each fuzz target for a short time (scripts/fuzz.sh),
#   4. the whole test suite again, built with AddressSanitizer and
#      UndefinedBehaviorSanitizer.
# PAGELORE_QUICK=1 runs only steps 1 and 2.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/setup.sh
scripts/build.sh build
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2)

# The benchmark program keeps working: a small collection and one search,
# each answering with JSON lines only. No timing is checked here.
smoke=$(mktemp -d)
trap 'rm -rf "$smoke"' EXIT
build/bench/pagelore-bench generate "$smoke" --articles 2000 >"$smoke/generate.out"
build/bench/pagelore-bench search "$smoke" --repeat 1 >"$smoke/search.out"
build/bench/pagelore-bench quick "$smoke" --query "ぱそこん 入門" --repeat 1 >"$smoke/quick.out"
build/bench/pagelore-bench edit "$smoke" --at 5 --title "修正" --repeat 1 >"$smoke/edit.out"
python3 - "$smoke/generate.out" "$smoke/search.out" "$smoke/quick.out" "$smoke/edit.out" <<'PY'
import json, sys
for path in sys.argv[1:]:
    lines = open(path, encoding="utf-8").read().splitlines()
    assert lines, f"{path}: no output"
    for line in lines:
        record = json.loads(line)
        assert "op" in record and "median_ms" in record, f"{path}: {line}"
print("benchmark smoke test passed")
PY

if [ "${PAGELORE_QUICK:-0}" = 1 ]; then
    exit 0
fi

FUZZ_SECONDS="${FUZZ_SECONDS:-60}" scripts/fuzz.sh

scripts/build.sh build-asan -DPAGELORE_SANITIZE=ON -DPAGELORE_BUILD_BENCH=OFF -DPAGELORE_BUILD_SCREENSHOTS=OFF
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tests/sanitizer/lsan.supp:print_suppressions=0"
(cd build-asan && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2)
