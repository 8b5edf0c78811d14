#!/usr/bin/env bash
# Runs a libFuzzer target for a bounded time from the committed seeds. A crash or hang
# (an input taking over ten seconds) is copied into the regressions folder (commit it:
# the unit tests replay it) and fails the run.
set -u
fuzzer=$1
seeds=$2
regressions=$3
seconds=${4:-60}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "$work/artifacts"
cp "$seeds"/* "$work/corpus/" 2>/dev/null
cp "$regressions"/* "$work/corpus/" 2>/dev/null

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
"$fuzzer" "$work/corpus" -max_total_time="$seconds" -timeout=10 -max_len=65536 -rss_limit_mb=4096 \
    -artifact_prefix="$work/artifacts/" -print_final_stats=1 2>&1 | tee "$work/log" | grep -E 'Done|stat::number_of_executed_units|ERROR|SUMMARY|crash|#[0-9]+ *DONE'
status=${PIPESTATUS[0]}

if ls "$work/artifacts"/* >/dev/null 2>&1; then
    cp "$work/artifacts"/* "$regressions/"
    echo "crash inputs kept in $regressions"
    tail -40 "$work/log"
    exit 1
fi
exit "$status"
