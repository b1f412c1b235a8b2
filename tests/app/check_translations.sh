#!/bin/sh
# usage: check_translations.sh LUPDATE TS_FILE SOURCE...
# Fails when a translatable text of the SOURCEs (folders or files) has no
# finished translation in TS_FILE, naming the texts.
set -eu
lupdate=$1 ts=$2
shift 2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp "$ts" "$scratch/check.ts"
"$lupdate" -silent -no-obsolete -locations none "$@" -ts "$scratch/check.ts"
if grep -q 'type="unfinished"' "$scratch/check.ts"; then
    echo "texts without a finished English translation:" >&2
    grep -B2 'type="unfinished"' "$scratch/check.ts" | grep '<source>' >&2
    exit 1
fi
count=$(grep -c '<translation>' "$scratch/check.ts" || true)
[ "$count" -gt 0 ] || { echo "no translations found in $ts" >&2; exit 1; }
echo "$count texts translated"
