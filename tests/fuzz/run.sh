#!/bin/sh
# Runs each fuzz target for a bounded time. Usage: run.sh BUILD_DIR SECONDS
# The checked-in seeds stay untouched: what a run finds goes into a corpus in
# the build folder, crashes into BUILD_DIR/fuzz-artifacts.
set -eu
BUILD=$(cd "$1" && pwd) # absolute: the targets work in a scratch folder
SECONDS_EACH=$2
HERE=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$BUILD/fuzz-artifacts"
status=0
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
for target in pipeline settings; do
    case $target in
    pipeline) extra="-max_len=65536 -dict=$HERE/pipeline.dict" ;;
    settings) extra="-max_len=4096" ;;
    esac
    corpus="$BUILD/fuzz-corpus/$target"
    mkdir -p "$corpus"
    # libFuzzer ends without running exit handlers, so the targets' scratch
    # folders go under one folder that is removed here.
    export TMPDIR="$BUILD/fuzz-tmp"
    rm -rf "$TMPDIR"
    mkdir -p "$TMPDIR"
    echo "fuzz_$target: ${SECONDS_EACH}s"
    # shellcheck disable=SC2086
    if ! "$BUILD/tests/fuzz/fuzz_$target" $extra -max_total_time="$SECONDS_EACH" \
        -rss_limit_mb=2048 -timeout=120 -report_slow_units=60 -print_final_stats=1 \
        -artifact_prefix="$BUILD/fuzz-artifacts/$target-" \
        "$corpus" "$HERE/corpus/$target" >"$BUILD/fuzz-$target.log" 2>&1; then
        status=1
        echo "fuzz_$target found a problem; log: $BUILD/fuzz-$target.log"
        grep -E "^(==|SUMMARY|artifact_prefix|Test unit written)" "$BUILD/fuzz-$target.log" | tail -20
    else
        grep -E "^stat::number_of_executed_units|^#[0-9]+.*DONE" "$BUILD/fuzz-$target.log" | tail -2
    fi
    rm -rf "$TMPDIR"
done
exit $status
