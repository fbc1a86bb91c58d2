#!/usr/bin/env bash
# fuzz.sh [SECONDS [TARGET...]]   run the fuzz targets of build/sanitize, SECONDS (600) each
#
# One target at a time, on one core. Each keeps its corpus in build/fuzz/TARGET/corpus, which
# starts from the committed seeds and grows from run to run; an input that crashes the target,
# leaks or hangs it is written to build/fuzz/TARGET/ and stops that target. The output of the
# last run is build/fuzz/TARGET/fuzz.log. Prints one line a target; fails when any crashed.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
manifest=$root/build/sanitize/fuzzers.txt
seconds=${1:-600}
shift || true
[ -f "$manifest" ] || { echo "no $manifest: build the sanitize preset first" >&2; exit 2; }

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_stack_use_after_return=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

failed=0
while read -r name binary seeds; do
    if [ $# -gt 0 ] && [[ " $* " != *" $name "* ]]; then
        continue
    fi
    work=$root/build/fuzz/$name
    mkdir -p "$work/corpus"
    log=$work/fuzz.log
    started=$(date +%s)
    status=0
    "$binary" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$work/" "$work/corpus" "$seeds" >"$log" 2>&1 || status=$?
    elapsed=$(($(date +%s) - started))

    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
    coverage=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -1 || true)
    artifacts=$(sed -n "s/.*Test unit written to //p" "$log")
    crashes=$(printf '%s' "$artifacts" | grep -c . || true)
    line="$name: ${runs:-0} executions in $elapsed s (${rate:-0}/s)"
    line+=", ${coverage:-cov: ? ft: ?}, corpus $(find "$work/corpus" -type f | wc -l)"
    line+=", crashes $crashes"
    if [ "$status" -ne 0 ] || [ "$crashes" -gt 0 ]; then
        failed=1
        line+=" (exit status $status; see $log) ${artifacts//$'\n'/ }"
    fi
    echo "$line"
done <"$manifest"
exit "$failed"
