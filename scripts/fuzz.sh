#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a fixed time
# (FUZZ_SECONDS, default 60) over its committed corpus. Any crash, hang,
# leak or sanitizer report fails the script. New inputs go to a scratch
# corpus, never into the repository.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-60}"
build_dir=build-fuzz
cmake -S . -B "$build_dir" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPAGELORE_FUZZ=ON -DPAGELORE_BUILD_TESTS=OFF -DPAGELORE_BUILD_BENCH=OFF \
    -DPAGELORE_BUILD_SCREENSHOTS=OFF >/dev/null
cmake --build "$build_dir" -j2 --target fuzz_all >/dev/null
scratch=$(mktemp -d)
# The targets' input files, in memory where possible, gone with the scratch corpus.
files=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
trap 'rm -rf "$scratch" "$files"' EXIT
export QT_QPA_PLATFORM=offscreen PAGELORE_FUZZ_DIR="$files"
for target in record_reader wildcard typed_input cp932 scan; do
    mkdir -p "$scratch/$target"
    echo "fuzz_$target: ${seconds}s"
    # Committed regression inputs first, each must pass.
    if [ -d "tests/fuzz/regressions/$target" ]; then
        "$build_dir/tests/fuzz/fuzz_$target" -runs=0 "tests/fuzz/regressions/$target"/* >/dev/null 2>&1 || {
            echo "fuzz_$target: a regression input fails"; exit 1; }
    fi
    "$build_dir/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=65536 -print_final_stats=1 -artifact_prefix="$scratch/" \
        "$scratch/$target" "tests/fuzz/corpus/$target" 2>"$scratch/$target.log" || {
        tail -n 40 "$scratch/$target.log"; echo "fuzz_$target: FAILED"; exit 1; }
    grep -E "stat::number_of_executed_units" "$scratch/$target.log" || true
done
echo "fuzzing: all targets passed"
