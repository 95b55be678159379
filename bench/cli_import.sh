#!/bin/sh
# Times `tessary-cli import` of a 255-row KeePassXC CSV into an empty key ring against `tessary-cli ls` of the
# ring it makes, and reports the peak memory of each.
# Usage: bench/cli_import.sh [path/to/tessary-cli]   (default: build/src/cli/tessary-cli)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
cli=$(realpath "${1:-$here/../build/src/cli/tessary-cli}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# KeePassXC's CSV of 255 entries, each field filled, notes over two lines.
{
    echo '"Group","Title","Username","Password","URL","Notes","TOTP","Icon","Last Modified","Created"'
    i=1
    while [ "$i" -le 255 ]; do
        printf '"Bench","key %s","user %s","password, ""%s""","https://example.com/%s","notes %s\nsecond line","","0",' \
            "$i" "$i" "$i" "$i" "$i"
        printf '"2024-01-02T03:04:05Z","2023-01-02T03:04:05Z"\n'
        i=$((i + 1))
    done
} > "$work/keys.csv"

printf 'bench password\n' | "$cli" --dir "$work" create-user bench >/dev/null
cp "$work/bench.keyRing" "$work/empty.keyRing"
printf 'bench password\n' > "$work/password"
printf 'bench password\n' | "$cli" --dir "$work" import bench "$work/keys.csv" >/dev/null 2>&1
[ "$(printf 'bench password\n' | "$cli" --dir "$work" ls bench | wc -l)" -eq 255 ]
cp "$work/bench.keyRing" "$work/full.keyRing"

hyperfine --warmup 3 --runs 30 --export-markdown "$work/times.md" \
    -n "tessary-cli import (255 rows)" --prepare "cp '$work/empty.keyRing' '$work/bench.keyRing'" \
    "'$cli' --dir '$work' import bench '$work/keys.csv' < '$work/password' > /dev/null 2>&1" \
    -n "tessary-cli ls (255 keys)" --prepare "cp '$work/full.keyRing' '$work/bench.keyRing'" \
    "'$cli' --dir '$work' ls bench < '$work/password' > /dev/null"
cat "$work/times.md"

cp "$work/empty.keyRing" "$work/bench.keyRing"
peak=$(/usr/bin/time -f '%M' "$cli" --dir "$work" import bench "$work/keys.csv" < "$work/password" 2>&1 >/dev/null |
    tail -n 1)
echo "peak memory, import: ${peak} KiB"
peak=$(/usr/bin/time -f '%M' "$cli" --dir "$work" ls bench < "$work/password" 2>&1 >/dev/null | tail -n 1)
echo "peak memory, ls: ${peak} KiB"
