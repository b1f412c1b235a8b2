#!/bin/bash
# Benchmark of the live mode (velkreport-cli --watch), run from the
# repository root (make bench runs it after run.sh). The ten-year file less
# its last LINES lines is watched while a writer appends those lines, one
# write each, every PACE seconds. Measured: from each append to the
# watch's Updated= line that follows the outputs' rename (median and
# slowest), the processor time the watch spent per appended line (from
# /proc), and its resident memory as the appends go on. At the end the
# outputs must equal a plain run of the whole ten-year file.
# Environment: VELK_WATCH_LINES (200), VELK_WATCH_PACE (0.3 s), VELK_BENCH_BUILD
# (build/release), VELK_BENCH_DATA (bench/data).
set -eu

BUILD=${VELK_BENCH_BUILD:-build/release}
DATA=${VELK_BENCH_DATA:-bench/data}
CLI=$BUILD/src/cli/velkreport-cli
LINES=${VELK_WATCH_LINES:-200}
PACE=${VELK_WATCH_PACE:-0.3}
FILE=${VELK_WATCH_FILE:-$DATA/velk-10y.csv}

[ -x "$CLI" ] || { echo "watch.sh: $CLI is not built" >&2; exit 1; }
[ -f "$FILE" ] || { echo "watch.sh: $FILE is missing (bench/run.sh makes it)" >&2; exit 1; }

tmp=$(mktemp -d)
watcher=
trap '[ -n "$watcher" ] && kill "$watcher" 2>/dev/null; rm -rf "$tmp"' EXIT
total=$(wc -l <"$FILE")
head -n $((total - LINES)) "$FILE" >"$tmp/data.csv"
tail -n "$LINES" "$FILE" >"$tmp/appended"
mkdir "$tmp/out" "$tmp/plain"
"$CLI" --write-settings "$tmp/s.ini" >/dev/null

cpuTicks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
memoryKb() { awk -v f="$2" '$1 == f ":" { print $2 }' "/proc/$1/status"; }

# Each Updated= line stamped as it comes: seconds, then the lines it took.
stamp() {
    while IFS= read -r line; do
        case $line in
        NotData=*) echo "$EPOCHREALTIME" >"$tmp/ready" ;;
        Updated=*)
            n=${line#Updated=}
            echo "$EPOCHREALTIME ${n%% *}" >>"$tmp/updates"
            ;;
        esac
    done
}
mkfifo "$tmp/stdout"
: >"$tmp/updates"
stamp <"$tmp/stdout" &
start=$EPOCHREALTIME
"$CLI" --settings "$tmp/s.ini" -C "$tmp/out" --watch "$tmp/data.csv" >"$tmp/stdout" 2>"$tmp/err" &
watcher=$!
until [ -s "$tmp/ready" ]; do
    kill -0 "$watcher" 2>/dev/null || { echo "watch.sh: the watch ended" >&2; cat "$tmp/err" >&2; exit 1; }
    sleep 0.05
done
firstRun=$(awk -v a="$start" -v b="$(cat "$tmp/ready")" 'BEGIN { printf "%.2f", b - a }')
sleep 0.5
rss0=$(memoryKb "$watcher" VmRSS)
cpu0=$(cpuTicks "$watcher")

# The writer: one write per line, its time noted.
: >"$tmp/appends"
k=0
: >"$tmp/rss"
while IFS= read -r line; do
    printf '%s\n' "$line" >"$tmp/one"
    echo "$EPOCHREALTIME" >>"$tmp/appends"
    cat "$tmp/one" >>"$tmp/data.csv"
    k=$((k + 1))
    [ $((k % 50)) = 0 ] && echo "$k $(memoryKb "$watcher" VmRSS)" >>"$tmp/rss"
    sleep "$PACE"
done <"$tmp/appended"
sleep 1
cpu1=$(cpuTicks "$watcher")
hwm=$(memoryKb "$watcher" VmHWM)
rss1=$(memoryKb "$watcher" VmRSS)
kill -TERM "$watcher"
wait || true
watcher=

"$CLI" --settings "$tmp/s.ini" -C "$tmp/plain" "$FILE" >/dev/null 2>&1
for f in report10.csv report60.csv velkreport.txt rmob.txt NoObsList.txt; do
    cmp -s "$tmp/plain/$f" "$tmp/out/$f" || { echo "watch.sh: $f differs from a plain run" >&2; exit 1; }
done

echo "velkreport-cli --watch on $(basename "$FILE") less its last $LINES lines, one appended every" \
    "${PACE} s ($(nproc) processors, load average $(cut -d' ' -f1-3 /proc/loadavg))"
echo "first run and outputs: ${firstRun} s"
# Line k is in the first update whose lines taken so far reach k.
awk -v ticks="$(getconf CLK_TCK)" -v lines="$LINES" -v cpu="$((cpu1 - cpu0))" '
    FNR == NR { appended[++n] = $1; next }
    { done += $2; while (k < done && k < n) { k++; d = $1 - appended[k]; lat[k] = d } }
    END {
        m = 0
        for (i = 1; i <= n; i++) if (i in lat) sorted[++m] = lat[i]
        if (m == 0) { print "no updates seen"; exit 1 }
        for (i = 1; i <= m; i++) for (j = i + 1; j <= m; j++)
            if (sorted[j] < sorted[i]) { t = sorted[i]; sorted[i] = sorted[j]; sorted[j] = t }
        printf "append to outputs renamed: median %.3f s, 90%% %.3f s, slowest %.3f s (%d of %d lines)\n",
            sorted[int((m + 1) / 2)], sorted[int(m * 0.9 + 0.5)], sorted[m], m, n
        printf "processor time: %.1f ms per appended line\n", cpu * 1000 / ticks / lines
    }' "$tmp/appends" "$tmp/updates"
echo "resident memory after the first run $((rss0 / 1024)) MB, at the end $((rss1 / 1024)) MB" \
    "(peak $((hwm / 1024)) MB); after each 50 appends (MB):" \
    "$(awk '{ printf "%s%d", (NR > 1 ? " " : ""), $2 / 1024 }' "$tmp/rss")"
grep -v '^Updated=' "$tmp/err" | head -n 5 || true
