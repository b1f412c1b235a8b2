#!/bin/sh
# Checks velk-gendata: a year has about 52,000 CR LF lines, a seed always gives
# the same bytes, another seed other bytes, and bad arguments are refused.
# usage: check_gendata.sh GENERATOR WORKDIR
set -eu
gen=$1
dir=$2
rm -rf "$dir"
mkdir -p "$dir"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

"$gen" --years 1 --seed 1 "$dir/a.csv"
"$gen" --seed 1 --years 1 "$dir/b.csv"
"$gen" --years 1 --seed 2 "$dir/c.csv"

lines=$(wc -l < "$dir/a.csv")
if [ "$lines" -lt 51000 ] || [ "$lines" -gt 53000 ]; then
    fail "one year gave $lines lines"
fi

# Every line ends in CR LF: stripping CR LF pairs must leave no CR or LF at all.
bare=$(sed 's/\r$//' "$dir/a.csv" | tr -cd '\r' | wc -c)
[ "$bare" -eq 0 ] || fail "$bare CR bytes not followed by LF"
crs=$(tr -cd '\r' < "$dir/a.csv" | wc -c)
[ "$crs" -eq "$lines" ] || fail "$crs CR bytes for $lines lines"

head -n 1 "$dir/a.csv" | grep -q '^#FileName,Time,' || fail "no header line"
sed -n 2p "$dir/a.csv" | grep -q '^v20150101_0000\.dat,2015/01/01 00:00:00,[0-9]*,[0-9]*,[0-9]*,10,' ||
    fail "first slot is not 2015/01/01 00:00"

cmp -s "$dir/a.csv" "$dir/b.csv" || fail "the same seed gave different files"
if cmp -s "$dir/a.csv" "$dir/c.csv"; then
    fail "seeds 1 and 2 gave the same file"
fi

for args in "--years 0 $dir/d.csv" "--years 1x $dir/d.csv" "--years 1" "--years 1 --seed -1 $dir/d.csv"; do
    # shellcheck disable=SC2086
    if "$gen" $args 2>/dev/null; then
        fail "accepted: $args"
    fi
done
if "$gen" --years 1 "$dir/no/such/dir/e.csv" 2>/dev/null; then
    fail "reported success writing into a missing folder"
fi

rm -rf "$dir"
echo "velk-gendata: $lines lines, deterministic"
