#!/bin/bash
# Hostile data and settings files and failing outputs, through velkreport-cli.
# Every case ends in exit status 0 with each bad line listed, or in status 1
# with an error naming the file; the big ones also stay under a memory bound.
# Usage: cli_hostile_test.sh CLI
# VELK_HOSTILE_MB sets the size of the line without a line end (default 100),
# VELK_HOSTILE_LINES that of the million-line files; VELK_SANITIZED=1 widens
# the memory bounds for the sanitizer build.
set -u
CLI=$1
MB=${VELK_HOSTILE_MB:-100}
N=${VELK_HOSTILE_LINES:-1000000}
WORK=$(mktemp -d)
# The tool's messages follow the locale: English here.
unset LC_ALL LC_MESSAGES
export LANG=C.UTF-8
trap 'chmod -R u+rwx "$WORK" 2>/dev/null; rm -rf "$WORK"' EXIT
passed=0
failed=0

ok() { passed=$((passed + 1)); }
bad() { failed=$((failed + 1)); echo "FAIL: $*"; }
expect_status() { # expected actual what
    if [ "$1" = "$2" ]; then ok; else bad "$3: exit status $2, expected $1"; head -c 600 "$WORK/err"; fi
}
expect_grep() { # pattern file what
    if grep -a -q -- "$1" "$2"; then ok; else bad "$3: '$1' not in $2"; head -c 600 "$2"; fi
}
expect_eq() { # expected actual what
    if [ "$1" = "$2" ]; then ok; else bad "$3: got '$2', expected '$1'"; fi
}
summary() { # NAME: its value in the last run's summary
    grep -a "^$1=" "$WORK/out" | cut -d= -f2-
}
lines_of() { # file: number of LF (every output line ends in CR LF)
    tr -cd '\n' <"$1" | wc -c
}
# Peak memory of the last run in MB must stay below a bound given for the
# plain build; the sanitizers roughly triple memory and keep a quarantine.
expect_memory_below() { # megabytes what
    local limit=$1 peak
    [ "${VELK_SANITIZED:-0}" = 1 ] && limit=$((limit * 3 + 300))
    peak=$(($(cat "$WORK/mem") / 1024))
    if [ "$peak" -lt "$limit" ]; then ok; else bad "$2: peak ${peak} MB, bound ${limit} MB"; fi
}

"$CLI" --write-settings "$WORK/defaults.ini" >/dev/null 2>&1

# run FOLDER DATAFILE: every output into FOLDER, summary to out, messages to
# err, peak memory (KB) to mem; returns the exit status.
run() {
    mkdir -p "$1"
    /usr/bin/time -f %M -o "$WORK/mem" \
        "$CLI" --settings "$WORK/defaults.ini" -C "$1" "$2" >"$WORK/out" 2>"$WORK/err"
}

line() { # hh:mm counts [date]: one data line with CR LF
    printf 'a.dat,%s %s:00,%s,\r\n' "${3:-2004/01/05}" "$1" "$2"
}

# --- a line without any line end, ${MB} MB of bytes that never form a column ---
head -c $((MB << 20)) /dev/zero | tr '\0' y >"$WORK/huge.csv"
run "$WORK/huge" "$WORK/huge.csv"
expect_status 0 $? "huge line"
expect_eq 1 "$(summary NGData)" "huge line is one rejected line"
expect_eq 0 "$(summary AllData)" "huge line gives no row"
expect_eq $(((MB << 20) + 2)) "$(stat -c %s "$WORK/huge/NoObsList.txt")" "huge line listed whole"
# The text, its first and last line (in the pipeline and in the summary it
# prints), the rejected line and its listed copy.
expect_memory_below $((MB * 15 / 2 + 60)) "huge line"
rm -rf "$WORK/huge.csv" "$WORK/huge" "$WORK/out"

# --- random bytes: whatever the lines are, each is a row or listed ---
random_bytes() { # seed count [byte to leave out]
    LC_ALL=C awk -v seed="$1" -v n="$2" -v skip="${3:--1}" 'BEGIN {
        srand(seed)
        for (i = 0; i < n; i++) { b = int(rand() * 256); printf "%c", b == skip ? b + 1 : b }
    }'
}
# Without Ctrl-Z, which ends a data file: all four megabytes are read.
random_bytes 7 4194304 26 >"$WORK/random.csv"
run "$WORK/random" "$WORK/random.csv"
expect_status 0 $? "random bytes"
expect_eq $(($(summary NGData) + $(summary NotData))) "$(lines_of "$WORK/random/NoObsList.txt")" \
    "every rejected line and gap row listed"
for f in report10.csv report60.csv velkreport.txt rmob.txt; do
    [ -f "$WORK/random/$f" ] && ok || bad "random bytes: no $f"
done
expect_eq 4194304 "$(stat -c %s "$WORK/random.csv")" "random file made"
[ "$(summary InData)" -gt 10000 ] && ok || bad "random bytes: only $(summary InData) lines read"
expect_memory_below 300 "random bytes"

# --- NUL bytes inside lines: kept byte for byte, or the line is rejected ---
{
    printf 'a\0b.dat,2004/01/05 09:30:00,1,0,0,10,re\0mark\r\n'
    printf 'c.dat,2004/01/05 09:40:00,1\0,0,0,10,\r\n'
} >"$WORK/nul.csv"
run "$WORK/nul" "$WORK/nul.csv"
expect_status 0 $? "NUL bytes"
expect_eq 1 "$(summary NGData)" "NUL inside a count rejects the line"
tr '\0' '@' <"$WORK/nul/report10.csv" >"$WORK/nul.seen"
expect_grep 'a@b.dat,2004/01/05 09:30,1,0,0,10,.*,re@mark' "$WORK/nul.seen" "NUL bytes kept"

# --- a million lines that cannot be read: all listed, no message ---
seq "$N" | sed 's/^/bad line /' >"$WORK/bad.csv"
run "$WORK/bad" "$WORK/bad.csv"
expect_status 0 $? "million bad lines"
expect_eq "$N" "$(summary NGData)" "million bad lines counted"
expect_eq "$N" "$(lines_of "$WORK/bad/NoObsList.txt")" "million bad lines listed"
expect_eq 0 "$(stat -c %s "$WORK/err")" "bad lines need no message"
expect_memory_below 300 "million bad lines"
rm -rf "$WORK/bad.csv" "$WORK/bad"

# --- a million implausible lines: a message for each, none lost ---
seq 0 $((N - 1)) | awk '{ printf "i.dat,2004/01/05 09:30:00,1,0,0,0,%d\r\n", $1 }' >"$WORK/impl.csv"
run "$WORK/impl" "$WORK/impl.csv"
expect_status 0 $? "million implausible lines"
expect_eq "$N" "$(summary NGData)" "implausible lines counted"
expect_eq "$N" "$(grep -c '^Implausible data.$' "$WORK/err")" "one message per line"
expect_eq "$N" "$(grep -c '^\[ i.dat,2004/01/05 09:30:00,1,0,0,0,[0-9]* \]$' "$WORK/err")" \
    "each message shows its line"
expect_grep "^\[ i.dat,2004/01/05 09:30:00,1,0,0,0,$((N - 1)) \]\$" "$WORK/err" "last message printed"
expect_memory_below 400 "million implausible lines"
rm -rf "$WORK/impl.csv" "$WORK/impl" "$WORK/err"

# --- counts at the 32-bit limits in every column ---
{
    line 09:00 2147483647,0,0,10
    line 09:10 1,2147483647,0,10
    line 09:20 1,0,2147483647,10
    line 09:30 1,0,0,2147483647
    for counts in 2147483648,0,0,10 1,2147483648,0,10 1,0,2147483648,10 1,0,0,2147483648 \
        -2147483648,0,0,10 1,-2147483648,0,10 1,0,-2147483648,10 1,0,0,-2147483648; do
        line 09:40 "$counts"
    done
} >"$WORK/limits.csv"
run "$WORK/limits" "$WORK/limits.csv"
expect_status 0 $? "32-bit limits"
expect_eq 8 "$(summary NGData)" "2147483648 and negative counts rejected"
for row in '09:00,2147483647,0,0,10,2147483647.00,' '09:10,1,2147483647,0,10,1.00,2147483647.00,' \
    '09:20,1,0,2147483647,10,1.00,0.00,2147483647.00,' '09:30,1,0,0,2147483647,0.00,0.00,0.00,'; do
    expect_grep "^a.dat,2004/01/05 $row" "$WORK/limits/report10.csv" "limit row $row"
done
expect_grep '^2004010509,2147483650,2147483647,2147483647,2147483677,' \
    "$WORK/limits/report60.csv" "hour sums past 32 bits"

# --- a row years ahead (9999/12/31 after 2004, 2104 mistyped for 2014) is set aside ---
{
    line 09:30 1,0,0,10
    line 09:40 2,0,0,10
    line 09:50 3,0,0,10 9999/12/31
    line 09:50 4,0,0,10 2104/01/05
    line 09:50 5,0,0,10
} >"$WORK/far.csv"
run "$WORK/far" "$WORK/far.csv"
expect_status 0 $? "far future"
expect_eq 2 "$(summary NGData)" "far rows rejected"
expect_eq 3 "$(summary AllData)" "no gap rows for far rows"
expect_eq "2004/01/05 09:50" "$(summary EndDay)" "far rows do not end the data"
expect_grep '^a.dat,9999/12/31 09:50:00,3,0,0,10,' "$WORK/far/NoObsList.txt" "9999 listed"
expect_grep '^a.dat,2104/01/05 09:50:00,4,0,0,10,' "$WORK/far/NoObsList.txt" "2104 listed"
[ "$(stat -c %s "$WORK/far/report10.csv")" -lt 1000 ] && ok || bad "far rows added gap rows"

# --- data files that cannot be read ---
mkdir "$WORK/folder.csv"
run "$WORK/o1" "$WORK/folder.csv"
expect_status 1 $? "data file that is a folder"
expect_grep "folder.csv'" "$WORK/err" "folder named"
run "$WORK/o2" /proc/self/mem
expect_status 1 $? "data file whose read fails"
expect_grep "Cannot read '/proc/self/mem': Input/output error" "$WORK/err" "failing read named"
# A device without end and a pipe nobody writes: refused, never read.
run "$WORK/o4" /dev/zero
expect_status 1 $? "device as data file"
expect_grep "'/dev/zero': not a regular file" "$WORK/err" "device named"
mkfifo "$WORK/pipe.csv"
timeout 60 "$CLI" --settings "$WORK/defaults.ini" -C "$WORK/o4" "$WORK/pipe.csv" >/dev/null 2>"$WORK/err"
expect_status 1 $? "pipe as data file"
expect_grep "pipe.csv': not a regular file" "$WORK/err" "pipe named"
if [ "$(id -u)" != 0 ]; then
    line 09:30 1,0,0,10 >"$WORK/locked.csv"
    chmod 000 "$WORK/locked.csv"
    run "$WORK/o3" "$WORK/locked.csv"
    expect_status 1 $? "data file without read permission"
    expect_grep "locked.csv': Permission denied" "$WORK/err" "locked file named"
else
    echo "skipped: data file without read permission (root reads through permission bits;" \
        "/proc/self/mem covers the failing read)"
fi

# --- settings files of random bytes, of 39 and of 4096 bytes ---
random_bytes 39 4056 >"$WORK/noise"
head -c 40 "$WORK/noise" >"$WORK/random.ini"
"$CLI" --settings "$WORK/random.ini" --show-settings >"$WORK/out" 2>"$WORK/err"
expect_status 0 $? "random settings shown"
expect_eq 0 "$(stat -c %s "$WORK/err")" "40 random bytes need no message"
line 09:30 1,0,0,10 >"$WORK/one.csv"
mkdir "$WORK/rs"
"$CLI" --settings "$WORK/random.ini" -C "$WORK/rs" "$WORK/one.csv" >"$WORK/out" 2>"$WORK/err"
expect_status 0 $? "run with random settings"
[ -f "$WORK/rs/rmob.txt" ] && ok || bad "random settings: no rmob.txt"

head -c 39 "$WORK/defaults.ini" >"$WORK/short.ini"
"$CLI" --settings "$WORK/short.ini" --show-settings >"$WORK/out" 2>"$WORK/err"
expect_status 0 $? "39-byte settings"
expect_eq 1 "$(grep -c '^The settings file does not hold valid settings.$' "$WORK/err")" "39 bytes: one message"
"$CLI" --settings "$WORK/defaults.ini" --show-settings >"$WORK/defaults.show"
grep -v '^Settings file ' "$WORK/out" >"$WORK/a"
grep -v '^Settings file ' "$WORK/defaults.show" >"$WORK/b"
cmp -s "$WORK/a" "$WORK/b" && ok || bad "39 bytes: defaults not used"

cat "$WORK/defaults.ini" "$WORK/noise" >"$WORK/long.ini"
expect_eq 4096 "$(stat -c %s "$WORK/long.ini")" "4096-byte settings file made"
"$CLI" --settings "$WORK/long.ini" --show-settings >"$WORK/out" 2>"$WORK/err"
expect_status 0 $? "4096-byte settings"
expect_eq 0 "$(stat -c %s "$WORK/err")" "4096 bytes need no message"
grep -v '^Settings file ' "$WORK/out" >"$WORK/a"
cmp -s "$WORK/a" "$WORK/b" && ok || bad "4096 bytes: the first 40 not used"

# --- outputs that cannot be written: status 1, the file named ---
small() { # a day of slots: report10.csv of about 7 KB, the text reports under 1 KB
    for h in 00 01 02 03 04 05 06 07 08 09 10 11 12 13 14 15; do
        for m in 00 10 20 30 40 50; do line "$h:$m" 1,0,0,10; done
    done
}
small >"$WORK/day.csv"

if [ "$(id -u)" = 0 ]; then
    # Root writes through permission bits; sysfs refuses new files to everyone.
    noperm=/sys
else
    noperm="$WORK/readonly"
    mkdir "$noperm"
    chmod 555 "$noperm"
fi
run "$noperm" "$WORK/day.csv"
expect_status 1 $? "folder without write permission"
expect_grep "Cannot create '$noperm/report10.csv': Permission denied" "$WORK/err" \
    "unwritable folder names the file"

for name in velkreport.txt rmob.txt report10.csv report60.csv NoObsList.txt; do
    rm -rf "$WORK/dir"
    mkdir -p "$WORK/dir/$name"
    run "$WORK/dir" "$WORK/day.csv"
    expect_status 1 $? "output $name is a folder"
    expect_grep "'$WORK/dir/$name': Is a directory" "$WORK/err" "folder $name named"
done

if [ -w /dev/full ]; then
    for name in velkreport.txt rmob.txt report10.csv report60.csv NoObsList.txt; do
        rm -rf "$WORK/full"
        mkdir "$WORK/full"
        ln -s /dev/full "$WORK/full/$name"
        { echo bad; small; } >"$WORK/dayplus.csv" # NoObsList.txt gets a line
        run "$WORK/full" "$WORK/dayplus.csv"
        expect_status 1 $? "$name on a full disk"
        expect_grep "'$WORK/full/$name': No space left on device" "$WORK/err" "full disk names $name"
        [ -L "$WORK/full/$name" ] && ok || bad "the link $name was replaced"
    done
    "$CLI" --version >/dev/full 2>"$WORK/err"
    expect_status 1 $? "--version to a full disk"
    expect_grep "standard output" "$WORK/err" "stdout failure named"
    mkdir "$WORK/stdout"
    "$CLI" --settings "$WORK/defaults.ini" -C "$WORK/stdout" "$WORK/day.csv" >/dev/full 2>"$WORK/err"
    expect_status 1 $? "summary to a full disk"
    expect_grep "Cannot write 'standard output': No space left on device" "$WORK/err" \
        "summary failure named"
else
    echo "skipped: no writable /dev/full"
fi

# A disk that fills up while the ten-minute table is written (a file size
# limit stands in for it): the previous table survives as report10.bak and no
# cut-off report10.csv is left behind.
run "$WORK/fill" "$WORK/day.csv"
expect_status 0 $? "first run before the disk fills"
cp "$WORK/fill/report10.csv" "$WORK/previous10"
(
    ulimit -f 4 # 4 KB
    trap '' XFSZ
    exec "$CLI" --settings "$WORK/defaults.ini" -C "$WORK/fill" "$WORK/day.csv" >"$WORK/out" 2>"$WORK/err"
)
expect_status 1 $? "disk full while writing"
expect_grep "Cannot write '$WORK/fill/report10.csv': File too large" "$WORK/err" \
    "full disk names the table"
cmp -s "$WORK/previous10" "$WORK/fill/report10.bak" && ok || bad "previous table not kept as .bak"
[ ! -e "$WORK/fill/report10.csv" ] && ok || bad "a cut-off report10.csv was left"

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
