#!/usr/bin/env bash
# One fuzzer for a bounded time on a fresh copy of its committed corpus, as ctest runs it in the
# fuzz tree (build/fuzz):
#
#   tests/fuzz/run.sh TARGET FUZZER BUILD_DIR
#
# Runs for PADWRIGHT_FUZZ_SECONDS (default 30) and prints "fuzz TARGET: N executions, M inputs in
# corpus, K crashes"; exits non-zero when the fuzzer fails or crashes. A crash leaves its
# reproducer in BUILD_DIR/artifacts/TARGET/; the fuzzer's log is BUILD_DIR/logs/fuzz-TARGET.log.
set -uo pipefail
target=$1 fuzzer=$2 build=$3
seconds=${PADWRIGHT_FUZZ_SECONDS:-30}
corpus=$build/corpus/$target
artifacts=$build/artifacts/$target
log=$build/logs/fuzz-$target.log
rm -rf "$corpus" "$artifacts"
mkdir -p "$corpus" "$artifacts" "$build/logs"
cp "$(dirname "$0")/corpus/$target"/* "$corpus"/
(cd "$build" && UBSAN_OPTIONS=print_stacktrace=1 "$fuzzer" \
    -max_total_time="$seconds" -max_len=4096 -timeout=10 -print_final_stats=1 \
    -artifact_prefix="artifacts/$target/" "corpus/$target") >"$log" 2>&1
status=$?
executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
inputs=$(find "$corpus" -type f | wc -l)
crashes=$(find "$artifacts" -type f | wc -l)
echo "fuzz $target: ${executions:-0} executions, $inputs inputs in corpus, $crashes crashes"
if [ "$status" -ne 0 ] || [ "$crashes" -ne 0 ]; then
    grep -E 'ERROR|runtime error|invariant broken' "$log" | head -n 5
    find "$artifacts" -type f -printf 'reproducer: %p\n'
    echo "log: $log"
    exit 1
fi
