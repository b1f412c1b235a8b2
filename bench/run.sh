#!/bin/sh
# Benchmark of the command-line tool, run from the repository root (make bench).
# Builds the release preset, generates the 1-year and 10-year data files once
# (bench/data is not versioned), then times five runs of velkreport-cli on each
# and prints the median wall time, the input throughput and the peak memory.
set -eu

BUILD=build/release
DATA=bench/data
CLI=$BUILD/src/cli/velkreport-cli
GEN=$BUILD/bench/velk-gendata
RUNS=5

[ -f CMakePresets.json ] || { echo "run.sh: run me from the repository root" >&2; exit 1; }

[ -f "$BUILD/build.ninja" ] || cmake --preset release
# Only what is timed: a broken window build must not stop the benchmark.
cmake --build --preset release --target velk-gendata velkreport-cli

mkdir -p "$DATA"
for years in 1 10; do
    file=$DATA/velk-${years}y.csv
    if [ ! -f "$file" ]; then
        echo "generating $file"
        "$GEN" --years "$years" --seed 1 "$file.tmp"
        mv "$file.tmp" "$file"
    fi
done

if [ ! -x "$CLI" ]; then
    echo "velkreport-cli is not built yet ($CLI); nothing to time."
    exit 0
fi

# Peak memory needs GNU time; without it the column shows "-".
TIME=""
if [ -x /usr/bin/time ] && /usr/bin/time -f %M true >/dev/null 2>&1; then
    TIME=/usr/bin/time
fi

now_ns() { date +%s%N; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT INT TERM

cli=$(cd "$(dirname "$CLI")" && pwd)/$(basename "$CLI")

# One trial run: a tool that still only prints its usage writes no files.
mkdir "$tmp/out"
if ! "$cli" -C "$tmp/out" "$(pwd)/$DATA/velk-1y.csv" >/dev/null 2>"$tmp/err"; then
    echo "velkreport-cli failed on $DATA/velk-1y.csv:" >&2
    cat "$tmp/err" >&2
    exit 1
fi
if [ -z "$(ls "$tmp/out")" ]; then
    echo "velkreport-cli wrote no output files: it is not finished yet, nothing to time."
    exit 0
fi

commit=$(git rev-parse --short HEAD 2>/dev/null || echo unknown)
echo "velkreport-cli, median of $RUNS runs, commit $commit, $(date +%Y-%m-%d)"
printf '%-22s %10s %10s %10s %12s\n' file lines "wall s" "MB/s" "peak MB"

for file in "$DATA/velk-1y.csv" "$DATA/velk-10y.csv"; do
    input=$(cd "$(dirname "$file")" && pwd)/$(basename "$file")
    bytes=$(wc -c < "$input")
    lines=$(wc -l < "$input")
    : > "$tmp/times"
    peak=0
    i=0
    while [ "$i" -lt "$RUNS" ]; do
        rm -rf "$tmp/out"
        mkdir "$tmp/out"
        start=$(now_ns)
        status=0
        if [ -n "$TIME" ]; then
            "$TIME" -f %M -o "$tmp/mem" "$cli" -C "$tmp/out" "$input" >/dev/null 2>"$tmp/err" || status=$?
        else
            "$cli" -C "$tmp/out" "$input" >/dev/null 2>"$tmp/err" || status=$?
        fi
        end=$(now_ns)
        if [ "$status" -ne 0 ]; then
            echo "velkreport-cli failed on $file (status $status):" >&2
            cat "$tmp/err" >&2
            exit 1
        fi
        echo $((end - start)) >> "$tmp/times"
        if [ -n "$TIME" ]; then
            kb=$(tail -n 1 "$tmp/mem")
            [ "$kb" -gt "$peak" ] && peak=$kb
        fi
        i=$((i + 1))
    done
    median=$(sort -n "$tmp/times" | sed -n "$(((RUNS + 1) / 2))p")
    awk -v f="$(basename "$file")" -v l="$lines" -v ns="$median" -v b="$bytes" -v kb="$peak" \
        -v mem="$TIME" 'BEGIN {
            s = ns / 1e9
            printf "%-22s %10d %10.3f %10.1f %12s\n", f, l, s, b / 1e6 / s,
                   mem == "" ? "-" : sprintf("%.1f", kb / 1024)
        }'
done
