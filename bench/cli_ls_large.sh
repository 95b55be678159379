#!/bin/sh
# `tessary-cli ls` on the largest key rings, this build beside another (an earlier commit's, built apart):
#   - at the limits: 255 keys with 65,535-byte user names and URLs (about 33.6 MB);
#   - the worst case: every text field of all 255 keys 65,535 bytes long (about 83.6 MB).
# Times with hyperfine, peak memory with /usr/bin/time, in one run.
# Usage: bench/cli_ls_large.sh OTHER-tessary-cli [THIS-tessary-cli]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
other=$(realpath "$1")
this=$(realpath "${2:-$here/../build/src/cli/tessary-cli}")
maker=$(dirname "$this")/../../bench/make_key_ring
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$maker" "$work/limits.keyRing" pw 65535 --names-urls
"$maker" "$work/worst.keyRing" pw 65535
printf 'pw\n' > "$work/password"

for ring in limits worst; do
    size=$(stat -c %s "$work/$ring.keyRing")
    echo "== $ring: $size bytes"
    hyperfine --warmup 1 --runs 5 --export-markdown "$work/$ring.md" \
        -n "this ls" "'$this' --dir '$work' ls $ring < '$work/password' > /dev/null" \
        -n "other ls" "'$other' --dir '$work' ls $ring < '$work/password' > /dev/null"
    cat "$work/$ring.md"
    for name in this other; do
        if [ "$name" = this ]; then program=$this; else program=$other; fi
        peak=$(/usr/bin/time -f '%M' "$program" --dir "$work" ls $ring < "$work/password" 2>&1 >/dev/null | tail -n 1)
        echo "peak memory, $name: $peak KiB (file: $((size / 1024)) KiB; goal: at most $((2 * size / 1024 + 16384)) KiB)"
    done
done
