#!/bin/bash
# Compares every output of two builds of velkreport-cli byte for byte: the
# five outputs, the summary, the monthly RMOB files, the colorgrammes and the
# activity tables, under several settings and time zones.
# Usage: bench/compare-outputs.sh REFERENCE_CLI NEW_CLI DATAFILE...
# Prints one line per case and data file; exits 1 when anything differs.
set -u
ref=$1
new=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
station=$(cd "$(dirname "$0")/.." && pwd)/tests/data/station.txt
"$ref" --write-settings "$work/defaults.ini" || exit 1

cases=(
    ""
    "--set RTZ=0"
    "--set RTZ=5"
    "--set RTZ=-1"
    "--set RTZ=12 --set nd=0"
    "--set RTZ=-12 --set nd=60"
    "--set RTZ=-24"
    "--set RTZ=30"
    "--set HR=0 --set MLong=0 --set MOData=1"
    "--set RMOBLE=1 --set RMOBOD=1 --set LongFLE=1 --set LongTLE=7 --set LongFOD=1"
    "--set Rep1l1=0 --set Rep6l1=0 --set nd=-1"
)
status=0
for data in "$@"; do
    for options in "${cases[@]}"; do
        for side in ref new; do
            rm -rf "$work/$side"
            mkdir -p "$work/$side"
            cli=$ref
            [ "$side" = new ] && cli=$new
            "$cli" --settings "$work/defaults.ini" $options --rmob-monthly --station "$station" \
                --colorgramme -C "$work/$side" "$data" >"$work/$side/summary.out" \
                2>"$work/$side/messages.err"
            echo "exit $?" >>"$work/$side/summary.out"
            # A shower the data cover, when they cover one.
            "$cli" --settings "$work/defaults.ini" $options --station "$station" --activity QUA \
                -C "$work/$side" "$data" >"$work/$side/activity.out" 2>&1
            rm -f "$work/$side"/*.bak
        done
        if diff -r "$work/ref" "$work/new" >"$work/diff"; then
            echo "same: $(basename "$data") ${options:-defaults} ($(ls "$work/new" | wc -l) files)"
        else
            echo "DIFFERENT: $(basename "$data") ${options:-defaults}"
            head -20 "$work/diff"
            status=1
        fi
    done
done
exit $status
