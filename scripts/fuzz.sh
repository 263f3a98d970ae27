#!/usr/bin/env bash
# Builds the fuzz targets (the "fuzz" preset, clang with libFuzzer) and runs
# each from its corpus in fuzz/corpus/<target> for a bounded time. New
# inputs the fuzzer finds go to a scratch copy, never into the repository.
# A crash stops the run: the input that caused it is kept in build/fuzz/crashes.
#   bash scripts/fuzz.sh [SECONDS per target, default 45]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-45}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
mkdir -p build/fuzz/crashes
for corpus in fuzz/corpus/*/; do
    target=$(basename "$corpus")
    scratch=$(mktemp -d)
    cp "$corpus"* "$scratch"/
    echo "Fuzzing $target for ${seconds}s"
    if ! build/fuzz/bin/"$target" -max_total_time="$seconds" -rss_limit_mb=4096 -timeout=30 \
        -artifact_prefix=build/fuzz/crashes/"$target"- -print_final_stats=1 "$scratch" \
        > build/fuzz/"$target".log 2>&1; then
        tail -n 60 build/fuzz/"$target".log
        echo "$target found a fault; the input is in build/fuzz/crashes/"
        rm -rf "$scratch"
        exit 1
    fi
    grep -E "^stat::number_of_executed_units|^stat::peak_rss_mb" build/fuzz/"$target".log | tr '\n' ' '
    echo
    rm -rf "$scratch"
done
