#!/bin/sh
# usage: check_translations.sh LUPDATE SOURCE_DIR TS_FILE
# Fails when a translatable text of SOURCE_DIR has no finished translation in
# TS_FILE, naming the texts.
set -eu
lupdate=$1 sources=$2 ts=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp "$ts" "$scratch/check.ts"
"$lupdate" -silent -no-obsolete -locations none "$sources" -ts "$scratch/check.ts"
if grep -q 'type="unfinished"' "$scratch/check.ts"; then
    echo "texts without a finished English translation:" >&2
    grep -B2 'type="unfinished"' "$scratch/check.ts" | grep '<source>' >&2
    exit 1
fi
count=$(grep -c '<translation>' "$scratch/check.ts" || true)
[ "$count" -gt 0 ] || { echo "no translations found in $ts" >&2; exit 1; }
echo "$count texts translated"
