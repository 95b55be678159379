#!/usr/bin/env bash
# Kills `tessary-cli passwd` with SIGKILL at random moments while it re-enciphers a full 255-key ring, and checks
# after each kill that the ring opens with exactly one of the two passwords and still holds every key.
# Usage: bench/kill_passwd.sh [ROUNDS] [path/to/tessary-cli]   (default: 25 rounds, build/src/cli/tessary-cli)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
rounds=${1:-25}
cli=$(realpath "${2:-$here/../build/src/cli/tessary-cli}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf 'first password\n' | "$cli" --dir "$work" create-user bench >/dev/null
i=1
while [ "$i" -le 255 ]; do
    printf 'first password\nkey password %s\n' "$i" | "$cli" --dir "$work" add bench "key $i" --notes "notes $i"
    i=$((i + 1))
done

opens() { printf '%s\n' "$1" | "$cli" --dir "$work" ls bench 2>/dev/null | wc -l; }
# How long an uninterrupted change takes, so that the kills fall anywhere within one.
start=$(date +%s%N)
printf 'first password\nsecond password\n' | "$cli" --dir "$work" passwd bench
printf 'second password\nfirst password\n' | "$cli" --dir "$work" passwd bench
span=$(( ($(date +%s%N) - start) / 2000 )) # microseconds per change

current="first password"
other="second password"
killed=0 completed=0 bad=0 switched=0
round=1
while [ "$round" -le "$rounds" ]; do
    # Anywhere from the start to a little past the usual end, so that some changes finish.
    delay=$(awk -v span="$span" -v seed="$(date +%N)" 'BEGIN { srand(seed); printf "%.6f", rand() * 1.2 * span / 1e6 }')
    status=$( (printf '%s\n%s\n' "$current" "$other" |
        timeout --foreground -s KILL "$delay" "$cli" --dir "$work" passwd bench >/dev/null 2>&1; echo $?) 2>/dev/null)
    [ "$status" -eq 137 ] && killed=$((killed + 1)) || completed=$((completed + 1))
    with_current=$(opens "$current")
    with_other=$(opens "$other")
    if [ "$with_current" -eq 255 ] && [ "$with_other" -eq 0 ]; then
        :
    elif [ "$with_other" -eq 255 ] && [ "$with_current" -eq 0 ]; then
        t=$current; current=$other; other=$t
        switched=$((switched + 1))
    else
        bad=$((bad + 1))
        echo "round $round: $with_current keys under \"$current\", $with_other under \"$other\"" >&2
    fi
    round=$((round + 1))
done
leftovers=$(find "$work" -name '.tessary-saving-*' | wc -l)
echo "passwd on 255 keys, about ${span} us a change: $rounds rounds, $killed killed, $completed finished;" \
    "the new password took $switched times; rings that did not open with exactly one password and 255 keys: $bad;" \
    "new files a killed change left (swept by a later save): $leftovers"
[ "$bad" -eq 0 ]
