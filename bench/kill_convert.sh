#!/usr/bin/env bash
# Kills `tessary-cli upgrade` and `downgrade` with SIGKILL at random moments while they convert a full 255-key ring
# between the two formats, and checks after each kill that the ring opens with its password, in one format or the
# other, and still holds every key with its password and notes.
# Usage: bench/kill_convert.sh [ROUNDS] [path/to/tessary-cli]   (default: 25 rounds, build/src/cli/tessary-cli)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
rounds=${1:-25}
cli=$(realpath "${2:-$here/../build/src/cli/tessary-cli}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The generations a strong ring has reached are remembered per user: a home of its own.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
mkdir -p "$HOME"
password="the one password"

printf '%s\n' "$password" | "$cli" --dir "$work" create-user bench >/dev/null
i=1
while [ "$i" -le 255 ]; do
    printf '%s\nkey password %s\n' "$password" "$i" | "$cli" --dir "$work" add bench "key $i" --notes "notes $i"
    i=$((i + 1))
done >/dev/null

format() { "$cli" --dir "$work" check "$work/bench.keyRing" 2>/dev/null | sed -n 's/^Format: \([a-z]*\).*/\1/p'; }
# The number of keys that hold the password and notes they were given, all 255 when the ring is whole.
whole_keys() {
    printf '%s\n' "$password" | "$cli" --dir "$work" ls bench --json --show-password 2>/dev/null | python3 -c '
import json, sys
try:
    keys = json.load(sys.stdin)
except ValueError:
    keys = []
print(sum(1 for n in range(1, 256) for k in keys if k["name"] == "key %d" % n
          and k["password"].split("\0")[0] == "key password %d" % n and k["description"] == "notes %d" % n))'
}

# How long an uninterrupted conversion takes, so that the kills fall anywhere within one.
start=$(date +%s%N)
printf '%s\n' "$password" | "$cli" --dir "$work" upgrade bench >/dev/null 2>&1
printf '%s\n' "$password" | "$cli" --dir "$work" downgrade bench >/dev/null 2>&1
span=$(( ($(date +%s%N) - start) / 2000 )) # microseconds per conversion

killed=0 completed=0 bad=0 strong=0
round=1
while [ "$round" -le "$rounds" ]; do
    [ "$(format)" = strong ] && command=downgrade || command=upgrade
    delay=$(awk -v span="$span" -v seed="$(date +%N)" 'BEGIN { srand(seed); printf "%.6f", rand() * 1.2 * span / 1e6 }')
    status=$( (printf '%s\n' "$password" |
        timeout --foreground -s KILL "$delay" "$cli" --dir "$work" "$command" bench >/dev/null 2>&1; echo $?) 2>/dev/null)
    [ "$status" -eq 137 ] && killed=$((killed + 1)) || completed=$((completed + 1))
    now=$(format)
    [ "$now" = strong ] && strong=$((strong + 1))
    count=$(whole_keys)
    if [ "$count" -ne 255 ]; then
        bad=$((bad + 1))
        echo "round $round ($command, status $status): $count keys, format \"$now\"" >&2
    fi
    round=$((round + 1))
done
leftovers=$(find "$work" -name '.tessary-saving-*' | wc -l)
echo "upgrade and downgrade of 255 keys, about ${span} us a conversion: $rounds rounds, $killed killed," \
    "$completed finished; strong afterwards $strong times; rings that did not open with 255 whole keys: $bad;" \
    "new files a killed conversion left (swept by a later save): $leftovers"
[ "$bad" -eq 0 ]
