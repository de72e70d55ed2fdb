#!/usr/bin/env bash
# tests/fuzz/run.sh TARGET FUZZER BUILD_DIR: as ctest runs each fuzzer, for PADWRIGHT_FUZZ_SECONDS
# (default 30) on a fresh copy of its committed corpus in BUILD_DIR/corpus/TARGET. Prints
# "fuzz TARGET: N executions, M inputs in corpus, K crashes"; fails when the fuzzer does, leaving
# the reproducer in BUILD_DIR/artifacts/TARGET/ and the log in BUILD_DIR/logs/fuzz-TARGET.log.
set -uo pipefail
target=$1 fuzzer=$2 build=$3
corpus=$build/corpus/$target artifacts=$build/artifacts/$target log=$build/logs/fuzz-$target.log
rm -rf "$corpus" "$artifacts" && mkdir -p "$corpus" "$artifacts" "$build/logs"
cp "$(dirname "$0")/corpus/$target"/* "$corpus"/
(cd "$build" && UBSAN_OPTIONS=print_stacktrace=1 "$fuzzer" -max_len=4096 -timeout=10 \
    -max_total_time="${PADWRIGHT_FUZZ_SECONDS:-30}" -print_final_stats=1 \
    -artifact_prefix="artifacts/$target/" "corpus/$target") >"$log" 2>&1
status=$?
executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
crashes=$(find "$artifacts" -type f | wc -l)
echo "fuzz $target: ${executions:-0} executions, $(find "$corpus" -type f | wc -l) inputs in" \
    "corpus, $crashes crashes"
grep -E 'ERROR|runtime error|invariant broken' "$log" | head -n 5
find "$artifacts" -type f -printf 'reproducer: %p\n'
[ "$status" -eq 0 ] && [ "$crashes" -eq 0 ] || { echo "log: $log"; exit 1; }
