#!/bin/bash
# The command line's shower profiles on a synthetic year with Geminids.
# Usage: cli_activity_test.sh CLI GENDATA
set -u
CLI=$1
GEN=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
passed=0
failed=0
ok() { passed=$((passed + 1)); }
bad() { failed=$((failed + 1)); echo "FAIL: $*"; }
expect_status() { if [ "$1" = "$2" ]; then ok; else bad "$3: exit status $2, expected $1"; cat "$WORK/e"; fi; }
expect_grep() { if grep -q -- "$1" "$2"; then ok; else bad "$3: '$1' not in $2"; head -n 30 "$2"; fi; }

"$GEN" --years 1 --seed 3 "$WORK/year.csv" || exit 1
"$CLI" --write-settings "$WORK/s.ini" >/dev/null 2>&1
printf 'Latitude=35.68 N\r\nLongitude=139.76 E\r\n' > "$WORK/tokyo.station"
mkdir "$WORK/out"

# One year: the table, the peak of the generator's Geminids (2015/12/14 02h
# local, 2015/12/13 17h UT, made later by its diurnal factor that peaks at
# 21h UT) and the fit.
"$CLI" --settings "$WORK/s.ini" -C "$WORK/out" --activity GEM --year 2015 "$WORK/year.csv" \
    >"$WORK/o" 2>"$WORK/e"
expect_status 0 $? "--activity GEM --year 2015"
expect_grep "^Peak=2015/12/13 \(1[6-9]\|2[01]\):30 UT$" "$WORK/o" "peak time"
expect_grep "^PeakSolarLongitude=26[12]\.[0-9][0-9]$" "$WORK/o" "peak solar longitude"
expect_grep "^PeakSignificance=[0-9]*\.[0-9]$" "$WORK/o" "peak significance"
expect_grep "^FitPeakSolarLongitude=" "$WORK/o" "fitted peak"
expect_grep "^FitPeakSolarLongitudeLow=26[12]\.[0-9]*$" "$WORK/o" "interval's lower end"
expect_grep "^FitPeakSolarLongitudeHigh=26[12]\.[0-9]*$" "$WORK/o" "interval's upper end"
# Reference days on both sides, every peak hour observed: nothing to doubt.
if grep -q "^Warning=" "$WORK/o"; then bad "a warning on a clean year"; grep "^Warning=" "$WORK/o"; else ok; fi
expect_grep "^File=activity_GEM_2015.csv$" "$WORK/o" "file named"
expect_grep "^Note=no station coordinates" "$WORK/o" "no station file: no elevations"
head -n 1 "$WORK/out/activity_GEM_2015.csv" | tr -d '\r' > "$WORK/h"
expect_grep "^time_ut,solar_longitude,observed_minutes,echoes,rate,background,excess,excess_error,ratio,radiant_elevation,corrected_excess,elevation_factor,fit_excess$" \
    "$WORK/h" "header"
expect_grep "^2015/12/13 17:30,261\.[0-9]*,[0-9]*,[0-9]*," "$WORK/out/activity_GEM_2015.csv" "peak hour row"

# With the station, elevations; every year without --year, one comparison line.
"$CLI" --settings "$WORK/s.ini" -C "$WORK/out" --activity GEM --station "$WORK/tokyo.station" \
    "$WORK/year.csv" >"$WORK/o" 2>"$WORK/e"
expect_status 0 $? "--activity GEM with a station"
expect_grep "^Comparison=2015,2015/12/13" "$WORK/o" "comparison line"
if grep -q "^Note=" "$WORK/o"; then bad "coordinates were not read"; else ok; fi
awk -F, 'NR > 1 && $10 == "" { bad = 1 } END { exit bad }' "$WORK/out/activity_GEM_2015.csv" \
    && ok || bad "an hour without radiant elevation"

# Data ending inside the period: the background comes from before it only,
# which a warning says, in English, in both forms of the command.
sed '/^v20151217_1[2-9]/,$d' "$WORK/year.csv" > "$WORK/short.csv"
"$CLI" --settings "$WORK/s.ini" -C "$WORK/out" --activity GEM --year 2015 "$WORK/short.csv" \
    >"$WORK/o" 2>"$WORK/e"
expect_status 0 $? "data ending inside the period"
expect_grep "^Warning=the background comes from days before the period only (2015/12/01 to 2015/12/03)" \
    "$WORK/o" "one-sided background"
"$CLI" --settings "$WORK/s.ini" -C "$WORK/out" --activity GEM "$WORK/short.csv" >"$WORK/o" 2>"$WORK/e"
expect_grep "^Warning=2015: the background comes from days before the period only" "$WORK/o" \
    "one-sided background, every year"
expect_grep "^Comparison=2015,.*,1$" "$WORK/o" "warnings counted in the comparison"

# Not covered, unknown, misuse.
"$CLI" --settings "$WORK/s.ini" -C "$WORK/out" --activity GEM --year 2019 "$WORK/year.csv" \
    >"$WORK/o" 2>"$WORK/e"
expect_status 1 $? "a year the data do not cover"
expect_grep "no observed hour in the 2019 activity period of GEM" "$WORK/e" "says so"
"$CLI" --settings "$WORK/s.ini" -C "$WORK/out" --activity XYZ "$WORK/year.csv" >"$WORK/o" 2>"$WORK/e"
expect_status 1 $? "an unknown shower"
expect_grep "unknown shower 'XYZ'" "$WORK/e" "names it"
# The observer's own list adds a shower.
printf 'code,start,end,peak_solar_longitude,ra,dec\nXYZ,06-01,06-05,71,0,0\n' > "$WORK/mine.csv"
"$CLI" --settings "$WORK/s.ini" -C "$WORK/out" --activity XYZ --showers "$WORK/mine.csv" \
    "$WORK/year.csv" >"$WORK/o" 2>"$WORK/e"
expect_status 0 $? "own shower list"
[ -f "$WORK/out/activity_XYZ_2015.csv" ] && ok || bad "own shower's table missing"
"$CLI" --settings "$WORK/s.ini" --year 2015 "$WORK/year.csv" >"$WORK/o" 2>"$WORK/e"
expect_status 2 $? "--year without --activity"

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
