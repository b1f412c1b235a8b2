#!/bin/bash
# velkreport-cli --watch against a recorder played by this script: after each
# append the outputs become byte for byte those of a plain run of the file's
# complete lines; mishaps of the file are told; a stall is told once and its
# end once; SIGTERM ends the watch with status 0 and whole outputs.
# Usage: cli_watch_test.sh CLI EXAMPLES
set -u
CLI=$1
EXAMPLES=$2
WORK=$(mktemp -d)
WATCH=
trap '[ -n "$WATCH" ] && kill "$WATCH" 2>/dev/null; rm -rf "$WORK"' EXIT
passed=0
failed=0
EXTRA="--rmob-monthly --colorgramme"

ok() { passed=$((passed + 1)); }
bad() { failed=$((failed + 1)); echo "FAIL: $*"; }
expect_status() { if [ "$1" = "$2" ]; then ok; else bad "$3: exit status $2, expected $1"; fi; }
expect_grep() { if grep -q -- "$1" "$2"; then ok; else bad "$3: '$1' not in $2"; cat "$2"; fi; }
wait_for() { # seconds command...: true once the command succeeds
    local tries=$(($1 * 20))
    shift
    while ! "$@"; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || return 1
        sleep 0.05
    done
}
# The outputs of a plain run of the bytes in $WORK/complete, the complete
# lines the recorder has written so far.
plain_run() {
    rm -rf "$WORK/plain" && mkdir "$WORK/plain"
    cp "$WORK/complete" "$WORK/plain.csv"
    "$CLI" --settings "$WORK/s.ini" -C "$WORK/plain" $EXTRA "$WORK/plain.csv" >/dev/null 2>&1
}
same_outputs() {
    for f in $(ls "$WORK/plain"); do cmp -s "$WORK/plain/$f" "$WORK/out/$f" || return 1; done
}
expect_current() { # what: the watch's outputs reach those of a plain run
    plain_run
    if wait_for 5 same_outputs; then ok; else
        bad "$1: outputs differ from a plain run"
        for f in $(ls "$WORK/plain"); do cmp "$WORK/plain/$f" "$WORK/out/$f"; done
    fi
}
record() { # bytes: one write of the recorder
    printf '%b' "$1" >>"$WORK/data.csv"
}
line() { # n: line n of the sample, without its line end
    sed -n "${1}p" "$EXAMPLES/velkdata.csv" | tr -d '\r'
}

"$CLI" --write-settings "$WORK/s.ini" >/dev/null 2>&1
head -n 1900 "$EXAMPLES/velkdata.csv" >"$WORK/data.csv"
cp "$WORK/data.csv" "$WORK/complete"
mkdir "$WORK/out"
echo "before the watch" >"$WORK/out/report10.csv"

"$CLI" --settings "$WORK/s.ini" -C "$WORK/out" $EXTRA --stall-minutes 0.02 --watch "$WORK/data.csv" \
    >"$WORK/o" 2>"$WORK/e" &
WATCH=$!
wait_for 10 grep -qs '^NotData=' "$WORK/o" && ok || bad "no summary after the first run"
expect_current "first run"

# Whole lines, a line in two writes, a CR LF in two writes.
record "$(line 1901)\r\n$(line 1902)\r\n"
printf '%s\r\n' "$(line 1901)" "$(line 1902)" >>"$WORK/complete"
expect_current "two lines"
# A reader that holds the file open while the watch goes on reads it whole.
exec 3<"$WORK/out/report10.csv"
cp "$WORK/out/report10.csv" "$WORK/held"
record "$(line 1903 | cut -c1-20)"
sleep 0.2
expect_current "half a line waits"
record "$(line 1903 | cut -c21-)\r"
sleep 0.2
expect_current "a line ended by a lone CR waits for the next byte"
record "\n"
printf '%s\r\n' "$(line 1903)" >>"$WORK/complete"
expect_current "a line completed over three writes"
[ "$(cat "$WORK/out/report10.bak")" = "before the watch" ] && ok ||
    bad "report10.bak does not hold the file from before the watch"
expect_grep "^Updated=1 line, last slot 2024/01/14 08:40$" "$WORK/o" "Updated= line"

# The recorder stalls, then writes again: each told once.
wait_for 5 grep -qs '^Stalled=no line since ' "$WORK/e" && ok || bad "no Stalled= line"
record "$(line 1904)\r\n"
printf '%s\r\n' "$(line 1904)" >>"$WORK/complete"
wait_for 5 grep -qs '^Resumed=lines again at ' "$WORK/e" && ok || bad "no Resumed= line"
expect_current "after the stall"
cmp -s - "$WORK/held" <&3 && ok || bad "a file held open changed under its reader"
exec 3<&-
health=$(grep -E '^(Stalled|Resumed)=' "$WORK/e" | cut -c1-7)
[ "$(echo "$health" | head -n 1)" = Stalled ] && [ -z "$(echo "$health" | uniq -d)" ] && ok ||
    bad "health changes not told once each: $health"

# The file cut short, then gone and back.
head -n 1000 "$EXAMPLES/velkdata.csv" >"$WORK/complete"
cp "$WORK/complete" "$WORK/shorter.csv" && cat "$WORK/shorter.csv" >"$WORK/data.csv"
expect_current "shrunk file read again"
expect_grep "data.csv' shrank: reading it again from its start" "$WORK/e" "shrink told"
rm "$WORK/data.csv"
wait_for 5 grep -qs "data.csv' is gone" "$WORK/e" && ok || bad "removal not told"
expect_current "outputs kept while the file is gone"
cp "$EXAMPLES/velkdata.csv" "$WORK/complete" && cp "$WORK/complete" "$WORK/data.csv"
expect_current "file back"
expect_grep "data.csv' is back" "$WORK/e" "return told"
# A file that cannot be read is told once and tried again.
rm "$WORK/data.csv" && mkdir "$WORK/data.csv"
wait_for 5 grep -qs "data.csv'.*(trying again)" "$WORK/e" && ok || bad "read error not told"
rmdir "$WORK/data.csv" && cp "$WORK/complete" "$WORK/data.csv"
expect_current "readable again"
[ "$(grep -c "(trying again)" "$WORK/e")" = 1 ] && ok || bad "read error told more than once"

kill -TERM "$WATCH"
wait "$WATCH"
expect_status 0 $? "SIGTERM"
WATCH=
expect_current "after SIGTERM"
[ -z "$(ls -A "$WORK/out" | grep -E '\.(new|prev)$')" ] && ok ||
    bad "temporary files left: $(ls -A "$WORK/out")"

# An output folder that cannot be written ends the watch at its start.
timeout 10 "$CLI" --settings "$WORK/s.ini" -C "$WORK/no-such-folder" --watch "$WORK/data.csv" \
    >/dev/null 2>"$WORK/e2"
expect_status 1 $? "unwritable output folder"
expect_grep "report10.csv" "$WORK/e2" "unwritable output named"

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
