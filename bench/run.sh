#!/bin/sh
# Benchmark of the command-line tool and the window, run from the repository
# root (make bench). Builds the release preset, generates the 1-year and 10-year
# data files once (bench/data is not versioned), then times five runs of
# velkreport-cli on each and prints the median wall time, the input throughput,
# the median processor time (user + system) and the peak memory; then the
# window on the offscreen platform (velk-winbench). bench/RESULTS.md keeps the
# figures.
set -eu

BUILD=build/release
DATA=bench/data
# VELK_BENCH_CLI times another build of the tool (an older one, to compare);
# VELK_BENCH_REFERENCE runs one in turn with this build (see below).
CLI=${VELK_BENCH_CLI:-$BUILD/src/cli/velkreport-cli}
GEN=$BUILD/bench/velk-gendata
TIMEIT=$BUILD/bench/velk-timeit
RUNS=5
# The command line's runs are short, and the host's speed wanders from run to
# run by a tenth or more: its medians are taken over more runs.
CLI_RUNS_1Y=${VELK_BENCH_RUNS_1Y:-31}
CLI_RUNS_10Y=${VELK_BENCH_RUNS_10Y:-11}
runsFor() {
    if [ "$(basename "$1")" = velk-10y.csv ]; then echo "$CLI_RUNS_10Y"; else echo "$CLI_RUNS_1Y"; fi
}

[ -f CMakePresets.json ] || { echo "run.sh: run me from the repository root" >&2; exit 1; }

[ -f "$BUILD/build.ninja" ] || cmake --preset release
# Only what is timed: a broken window build must not stop the benchmark.
cmake --build --preset release --target velk-gendata velk-timeit velkreport-cli
WINBENCH=$BUILD/bench/velk-winbench
if ! cmake --build --preset release --target velk-winbench; then
    echo "velk-winbench did not build; the window is not timed." >&2
    WINBENCH=
fi

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
echo "velkreport-cli, all five outputs, median of $CLI_RUNS_1Y runs (one year) and" \
    "$CLI_RUNS_10Y runs (ten years), commit $commit, $(date +%Y-%m-%d)"
echo "($(nproc 2>/dev/null || echo '?') processors, load average" \
    "$(cut -d' ' -f1-3 /proc/loadavg 2>/dev/null || echo '?'))"
printf '%-14s %8s %6s %8s %7s %8s %8s\n' file lines MB "wall s" "MB/s" "cpu s" "peak MB"

for file in "$DATA/velk-1y.csv" "$DATA/velk-10y.csv"; do
    input=$(cd "$(dirname "$file")" && pwd)/$(basename "$file")
    bytes=$(wc -c < "$input")
    lines=$(wc -l < "$input")
    : > "$tmp/runs"
    runs=$(runsFor "$file")
    i=0
    while [ "$i" -lt "$runs" ]; do
        rm -rf "$tmp/out"
        mkdir "$tmp/out"
        status=0
        "$TIMEIT" "$tmp/run" "$cli" -C "$tmp/out" "$input" >/dev/null 2>"$tmp/err" || status=$?
        if [ "$status" -ne 0 ]; then
            echo "velkreport-cli failed on $file (status $status):" >&2
            cat "$tmp/err" >&2
            exit 1
        fi
        cat "$tmp/run" >> "$tmp/runs"
        i=$((i + 1))
    done
    # Medians of the wall and of the processor time, the largest peak memory.
    wall=$(cut -d' ' -f1 "$tmp/runs" | sort -n | sed -n "$(((runs + 1) / 2))p")
    cpu=$(awk '{ print $2 + $3 }' "$tmp/runs" | sort -n | sed -n "$(((runs + 1) / 2))p")
    peak=$(cut -d' ' -f4 "$tmp/runs" | sort -n | tail -n 1)
    awk -v f="$(basename "$file")" -v l="$lines" -v s="$wall" -v b="$bytes" -v kb="$peak" \
        -v cpu="$cpu" 'BEGIN {
            printf "%-14s %8d %6.1f %8.3f %7.1f %8.3f %8.1f\n", f, l, b / 1e6, s, b / 1e6 / s,
                   cpu, kb / 1024
        }'
done
echo "cpu s: user + system time of the run."

# VELK_BENCH_REFERENCE names an earlier build of the tool. The host's speed
# changes by a factor of two within an hour, so the two are run in turn, as
# many times each as above, and compared by their medians taken side by side.
if [ -n "${VELK_BENCH_REFERENCE:-}" ]; then
    ref=$(cd "$(dirname "$VELK_BENCH_REFERENCE")" && pwd)/$(basename "$VELK_BENCH_REFERENCE")
    echo
    echo "against $VELK_BENCH_REFERENCE, run in turn ($CLI_RUNS_1Y and $CLI_RUNS_10Y runs each): median wall"
    printf '%-14s %11s %8s %7s
' file "reference s" "this s" ratio
    for file in "$DATA/velk-1y.csv" "$DATA/velk-10y.csv"; do
        input=$(cd "$(dirname "$file")" && pwd)/$(basename "$file")
        : > "$tmp/ref-runs"
        : > "$tmp/new-runs"
        runs=$(runsFor "$file")
        i=0
        while [ "$i" -lt "$runs" ]; do
            for which in ref new; do
                bin=$cli
                [ "$which" = ref ] && bin=$ref
                rm -rf "$tmp/out" && mkdir "$tmp/out"
                "$TIMEIT" "$tmp/run" "$bin" -C "$tmp/out" "$input" >/dev/null 2>&1 || true
                cut -d' ' -f1 "$tmp/run" >> "$tmp/$which-runs"
            done
            i=$((i + 1))
        done
        refwall=$(sort -n "$tmp/ref-runs" | sed -n "$(((runs + 1) / 2))p")
        newwall=$(sort -n "$tmp/new-runs" | sed -n "$(((runs + 1) / 2))p")
        awk -v f="$(basename "$file")" -v r="$refwall" -v n="$newwall" 'BEGIN {
            printf "%-14s %11.3f %8.3f %7.2f\n", f, r, n, n / r }'
    done
fi

# The shower profiles: the same run with every year of the Geminids worked
# out (table, background, peak and fit per year); the difference to the plain
# run is what the page "Showers" spends on a choice of shower.
input=$(cd "$DATA" && pwd)/velk-10y.csv
rm -rf "$tmp/out" && mkdir "$tmp/out"
"$TIMEIT" "$tmp/plain" "$cli" -C "$tmp/out" "$input" >/dev/null 2>&1 || true
rm -rf "$tmp/out" && mkdir "$tmp/out"
if "$TIMEIT" "$tmp/gem" "$cli" -C "$tmp/out" --activity GEM "$input" >/dev/null 2>"$tmp/err"; then
    awk -v p="$(cut -d' ' -f1 "$tmp/plain")" -v g="$(cut -d' ' -f1 "$tmp/gem")" 'BEGIN {
        printf "velk-10y.csv: --activity GEM (every year) adds %.3f s wall\n", g - p }'
else
    echo "velkreport-cli --activity GEM failed:" >&2
    cat "$tmp/err" >&2
fi

if [ -z "$WINBENCH" ] || [ ! -x "$WINBENCH" ]; then
    exit 0
fi
echo
echo "window (offscreen), from the click to every page shown, median of $RUNS runs"
printf '%-14s %-8s %8s %8s %8s %8s %7s %8s\n' file click "median s" "min s" "max s" "gap s" paints \
    "peak MB"
for file in "$DATA/velk-1y.csv" "$DATA/velk-10y.csv"; do
    if ! QT_QPA_PLATFORM=offscreen "$WINBENCH" --runs "$RUNS" "$file" >"$tmp/win" 2>"$tmp/err"; then
        echo "velk-winbench failed on $file:" >&2
        cat "$tmp/err" >&2
        exit 1
    fi
    {
        read -r median fastest slowest gap worstgap paints peakmb
        read -r rmedian rfastest rslowest rgap rworstgap rpaints scrolledmb rpeakmb
        read -r showers choice slowchoice slowcode
    } < "$tmp/win"
    name=$(basename "$file")
    printf '%-14s %-8s %8s %8s %8s %8s %7s %8s\n' "$name" open "$median" "$fastest" \
        "$slowest" "$gap" "$paints" "$peakmb"
    printf '%-14s %-8s %8s %8s %8s %8s %7s %8s\n' "$name" recompute "$rmedian" "$rfastest" \
        "$rslowest" "$rgap" "$rpaints" "$rpeakmb"
    echo "$name $scrolledmb" >> "$tmp/scrolled"
    echo "$name $showers $choice $slowchoice $slowcode" >> "$tmp/showers"
done
echo "click: open confirms the open dialog (読み込み), recompute is 再計算; gap s: the"
echo "longest time the event loop did not come round (the window could not paint) in the"
echo "median run; paints: paint events of the window during that run."
echo
echo "window memory once every page has been scrolled to its end (resident MB)"
while read -r name mb; do
    printf '%-14s %8s\n' "$name" "$mb"
done < "$tmp/scrolled"
echo
echo "shower page: from choosing a shower (its latest year) to the chart painted, every shower"
echo "the data cover, $RUNS times each"
printf '%-14s %8s %9s %9s %8s\n' file showers "median s" "slowest s" shower
while read -r name showers choice slowchoice slowcode; do
    printf '%-14s %8s %9s %9s %8s\n' "$name" "$showers" "$choice" "$slowchoice" "$slowcode"
done < "$tmp/showers"

# Live mode: the window follows the ten-year file while a writer appends its
# last lines at a fixed pace; from each line's write to the pages showing it.
echo
echo "live mode (offscreen): velk-10y.csv followed while its last 300 lines are appended, one"
echo "every 100 ms; latency from a line's write to the pages showing it"
printf '%-16s %9s %8s %9s %10s %9s %9s\n' "page in sight" "median ms" "95% ms" "slowest ms" \
    "cpu ms/line" "MB before" "MB after"
for page in TabSheetMain ColorgrammePage; do
    if ! QT_QPA_PLATFORM=offscreen "$WINBENCH" --live 300 --pace 100 --page "$page" \
        "$DATA/velk-10y.csv" >"$tmp/live" 2>"$tmp/err"; then
        echo "velk-winbench --live failed:" >&2
        cat "$tmp/err" >&2
        exit 1
    fi
    read -r lines pace median p95 slowest cpu before after < "$tmp/live"
    printf '%-16s %9s %8s %9s %10s %9s %9s\n' "$page" "$median" "$p95" "$slowest" "$cpu" "$before" \
        "$after"
done
echo "cpu ms/line: processor time of the whole program (window, worker) per line after the"
echo "first 20; MB: resident memory after the first 20 lines and after the last."
