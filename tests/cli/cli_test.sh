#!/bin/bash
# End-to-end checks of velkreport-cli. Usage: cli_test.sh CLI TESTDATA EXAMPLES
set -u
CLI=$1
DATA=$2
EXAMPLES=$3
WORK=$(mktemp -d)
# The messages kept beside the data are the Japanese ones (cli_hostile_test.sh
# reads them in English).
unset LC_ALL LC_MESSAGES
export LANG=ja_JP.UTF-8
trap 'rm -rf "$WORK"' EXIT
passed=0
failed=0

ok() { passed=$((passed + 1)); }
bad() { failed=$((failed + 1)); echo "FAIL: $*"; }
expect_status() { # expected actual what
    if [ "$1" = "$2" ]; then ok; else bad "$3: exit status $2, expected $1"; fi
}
expect_same() { # expected-file actual-file what
    if cmp -s "$1" "$2"; then ok; else
        bad "$3: $2 differs from $1"
        diff <(od -c "$1") <(od -c "$2") | head -10
    fi
}
expect_grep() { # pattern file what
    if grep -q -- "$1" "$2"; then ok; else bad "$3: '$1' not in $2"; cat "$2"; fi
}

# A settings file of defaults beside nothing: every run names its own.
"$CLI" --write-settings "$WORK/defaults.ini" >/dev/null 2>&1
expect_status 0 $? "write default settings"
[ "$(stat -c %s "$WORK/defaults.ini")" = 40 ] && ok || bad "settings file is not 40 bytes"

# --- a small crafted file, every output byte for byte ---
mkdir "$WORK/small"
"$CLI" --settings "$WORK/defaults.ini" -C "$WORK/small" "$DATA/small/velkdata.csv" \
    >"$WORK/out" 2>"$WORK/err"
expect_status 0 $? "small run"
for f in report10.csv report60.csv velkreport.txt rmob.txt NoObsList.txt; do
    expect_same "$DATA/small/$f" "$WORK/small/$f" "small $f"
done
expect_same "$DATA/small/summary.txt" "$WORK/out" "small summary"
expect_same "$DATA/small/stderr.txt" "$WORK/err" "small messages"
[ ! -e "$WORK/small/TMPReport.\$\$\$" ] && ok || bad "temporary file left behind"

# --- a second run in the same folder: backups appear, none for NoObsList ---
"$CLI" --settings "$WORK/defaults.ini" -C "$WORK/small" "$DATA/small/velkdata.csv" \
    >/dev/null 2>&1
expect_status 0 $? "second run"
for f in report10 report60 velkreport rmob; do
    [ -f "$WORK/small/$f.bak" ] && ok || bad "no $f.bak after the second run"
done
[ ! -e "$WORK/small/NoObsList.bak" ] && ok || bad "NoObsList.txt was backed up"
expect_same "$DATA/small/report10.csv" "$WORK/small/report10.bak" "backup holds the first run"

# --- the sample data against its expected outputs ---
if [ -f "$EXAMPLES/velkdata.csv" ] && [ -d "$DATA/sample-expected" ]; then
    mkdir "$WORK/sample"
    "$CLI" --settings "$WORK/defaults.ini" -C "$WORK/sample" "$EXAMPLES/velkdata.csv" \
        >"$WORK/sample.out" 2>"$WORK/sample.err"
    expect_status 0 $? "sample run"
    for f in report10.csv report60.csv velkreport.txt rmob.txt NoObsList.txt; do
        expect_same "$DATA/sample-expected/$f" "$WORK/sample/$f" "sample $f"
    done
    expect_same "$DATA/sample-expected/summary.txt" "$WORK/sample.out" "sample summary"
else
    bad "sample data or its expected outputs are missing"
fi

# --- settings: --set, --show-settings and --write-settings round trips ---
"$CLI" --settings "$WORK/defaults.ini" --set RTZ=0 --set Rep1l1=false --set nd=30 \
    --set HR=0 --write-settings "$WORK/changed.ini"
expect_status 0 $? "write changed settings"
"$CLI" --settings "$WORK/changed.ini" --show-settings >"$WORK/show" 2>&1
expect_status 0 $? "show settings"
expect_grep "時差              0$" "$WORK/show" "RTZ shown"
expect_grep "破棄する  30$" "$WORK/show" "nd shown"
expect_grep "1行目の出力  False$" "$WORK/show" "Rep1l1 shown"
expect_grep "HR出集計する False$" "$WORK/show" "HR shown"
od -An -tx1 -j12 -N4 "$WORK/changed.ini" | grep -q "00 00 00 00" && ok || bad "RTZ 0 not stored"
mkdir "$WORK/changed"
"$CLI" --settings "$WORK/changed.ini" -C "$WORK/changed" "$DATA/small/velkdata.csv" \
    >/dev/null 2>&1
expect_status 0 $? "run with changed settings"
head -c 6 "$WORK/changed/report10.csv" | grep -q '^a.dat,' && ok || bad "Rep1l1=false still wrote the format line"
expect_grep "^Jan| 00h" "$WORK/changed/rmob.txt" "RMOB with RTZ 0"
expect_grep "^05 |??? |??? |??? |??? |??? |??? |??? |??? |??? | xy |" "$WORK/changed/rmob.txt" \
    "RTZ 0 keeps local hours"

# --- monthly RMOB submission files ---
mkdir "$WORK/monthly"
"$CLI" --settings "$WORK/defaults.ini" --rmob-monthly --station "$DATA/station.txt" \
    -C "$WORK/monthly" "$EXAMPLES/velkdata.csv" >/dev/null 2>"$WORK/e"
expect_status 0 $? "monthly run"
jan="$WORK/monthly/My_Station_012024rmob.TXT"
[ -f "$jan" ] && ok || bad "no January file"
[ -f "$WORK/monthly/My_Station_122023rmob.TXT" ] && ok || bad "no file for the UT day in December"
[ "$(grep -c '^ [0-3][0-9]|' "$jan")" = 31 ] && ok || bad "January file has not 31 day lines"
expect_grep "^\[Soft FTP\]VelkReport 0.12" "$jan" "station block"
"$CLI" --settings "$WORK/defaults.ini" --rmob-monthly -C "$WORK/monthly" \
    "$EXAMPLES/velkdata.csv" >/dev/null 2>"$WORK/e"
expect_status 0 $? "monthly run without station file"
expect_grep "Observer" "$WORK/e" "missing station fields named"
[ -f "$WORK/monthly/unknown_012024rmob.TXT" ] && ok || bad "file not written without station"
sed 's/^City=.*/City=東京/' "$DATA/station.txt" >"$WORK/kanji.station"
"$CLI" --settings "$WORK/defaults.ini" --rmob-monthly --station "$WORK/kanji.station" \
    -C "$WORK/monthly" "$EXAMPLES/velkdata.csv" >/dev/null 2>"$WORK/e"
expect_status 0 $? "monthly run with a city beyond Latin-1"
expect_grep "City (東京)" "$WORK/e" "field beyond Latin-1 named"
expect_grep "^\[City\]??.$" "$WORK/monthly/My_Station_012024rmob.TXT" "city written as ??"
"$CLI" --station "$DATA/station.txt" "$EXAMPLES/velkdata.csv" >/dev/null 2>&1
expect_status 2 $? "--station without --rmob-monthly"

# --- colorgramme images, one per UT month, without a display ---
mkdir "$WORK/pictures"
env -u DISPLAY "$CLI" --settings "$WORK/defaults.ini" --colorgramme -C "$WORK/pictures" \
    "$EXAMPLES/velkdata.csv" >/dev/null 2>&1
expect_status 0 $? "colorgramme run"
for m in 202312 202401; do
    png="$WORK/pictures/colorgramme_$m.png"
    if [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a ]; then ok; else
        bad "colorgramme_$m.png is no PNG"
    fi
done
[ "$(ls "$WORK/pictures"/colorgramme_*.png | wc -l)" = 2 ] && ok || bad "not one image per month"
"$CLI" --colorgramme --max 0 "$EXAMPLES/velkdata.csv" >/dev/null 2>&1
expect_status 2 $? "--max 0"

# --- exit statuses ---
"$CLI" --version >"$WORK/v"; expect_status 0 $? "--version"
expect_grep "^VelkReport 0.12$" "$WORK/v" "version text"
"$CLI" --help >"$WORK/h"; expect_status 0 $? "--help"
expect_grep "usage: velkreport-cli" "$WORK/h" "usage text"
"$CLI" >/dev/null 2>"$WORK/e"; expect_status 2 $? "no arguments"
"$CLI" --bogus x.csv >/dev/null 2>"$WORK/e"; expect_status 2 $? "unknown option"
expect_grep "usage:" "$WORK/e" "usage on a usage error"
"$CLI" --set Bogus=1 x.csv >/dev/null 2>"$WORK/e"; expect_status 2 $? "unknown setting"
"$CLI" --set nd=ten x.csv >/dev/null 2>"$WORK/e"; expect_status 2 $? "bad integer"
"$CLI" --set HR=yes x.csv >/dev/null 2>"$WORK/e"; expect_status 2 $? "bad boolean"
"$CLI" --set nd=99999999999 x.csv >/dev/null 2>"$WORK/e"; expect_status 2 $? "out of range"
"$CLI" --settings "$WORK/defaults.ini" "$WORK/missing.csv" >/dev/null 2>"$WORK/e"
expect_status 1 $? "missing data file"
expect_grep "missing.csv" "$WORK/e" "missing file named"
"$CLI" --settings "$WORK/nope.ini" --show-settings >/dev/null 2>"$WORK/e"
expect_status 1 $? "missing settings file"
"$CLI" --settings "$WORK/defaults.ini" "$WORK" >/dev/null 2>"$WORK/e"
expect_status 1 $? "data file that is a folder"

# --- an output that cannot be written: clear error, exit 1 ---
mkdir -p "$WORK/blocked/report10.csv"
"$CLI" --settings "$WORK/defaults.ini" -C "$WORK/blocked" "$DATA/small/velkdata.csv" \
    >/dev/null 2>"$WORK/e"
expect_status 1 $? "output name is a folder"
expect_grep "report10.csv" "$WORK/e" "unwritable output named"
"$CLI" --settings "$WORK/defaults.ini" -C "$WORK/no-such-folder" "$DATA/small/velkdata.csv" \
    >/dev/null 2>"$WORK/e"
expect_status 1 $? "missing output folder"
if [ -w /dev/full ]; then
    mkdir "$WORK/full"
    ln -s /dev/full "$WORK/full/rmob.txt"
    "$CLI" --settings "$WORK/defaults.ini" -C "$WORK/full" "$DATA/small/velkdata.csv" \
        >/dev/null 2>"$WORK/e"
    expect_status 1 $? "full disk"
    expect_grep "rmob.txt" "$WORK/e" "full disk names the file"
fi

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
