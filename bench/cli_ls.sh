#!/bin/sh
# Times `tessary-cli ls` on a full 255-key ring against a trivial QtCore program that reads a line and prints 255
# lines (and, when given, another build of tessary-cli: an earlier commit's, built apart), and reports the peak
# memory of each.
# Usage: bench/cli_ls.sh [path/to/tessary-cli [OTHER-tessary-cli]]   (default: build/src/cli/tessary-cli)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
cli=$(realpath "${1:-$here/../build/src/cli/tessary-cli}")
other=${2:+$(realpath "$2")}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The yardstick, built as the program itself is (optimised, shared QtCore).
# shellcheck disable=SC2046
c++ -std=c++20 -O2 -fPIC "$here/cli_ls_trivial.cpp" -o "$work/trivial" $(pkg-config --cflags --libs Qt6Core)

# A full key ring, made by the tool itself.
printf 'bench password\n' | "$cli" --dir "$work" create-user bench >/dev/null
i=1
while [ "$i" -le 255 ]; do
    printf 'bench password\nkey password %s\n' "$i" |
        "$cli" --dir "$work" add bench "key $i" --username "user $i" --url "example.com/$i" --notes "notes $i"
    i=$((i + 1))
done
printf 'bench password\n' > "$work/password"
[ "$(wc -l < "$(printf 'bench password\n' | "$cli" --dir "$work" ls bench > "$work/out"; echo "$work/out")")" -eq 255 ]

set -- -n "tessary-cli ls (255 keys)" "'$cli' --dir '$work' ls bench < '$work/password' > /dev/null" \
    -n "trivial QtCore program" "'$work/trivial' < '$work/password' > /dev/null"
[ -n "$other" ] && set -- "$@" -n "other tessary-cli ls (255 keys)" \
    "'$other' --dir '$work' ls bench < '$work/password' > /dev/null"
hyperfine --warmup 5 --runs 50 --export-markdown "$work/times.md" "$@"
cat "$work/times.md"

for name in cli trivial ${other:+other}; do
    case $name in
    cli) set -- "$cli" --dir "$work" ls bench ;;
    other) set -- "$other" --dir "$work" ls bench ;;
    *) set -- "$work/trivial" ;;
    esac
    peak=$(/usr/bin/time -f '%M' "$@" < "$work/password" 2>&1 >/dev/null | tail -n 1)
    echo "peak memory, $name: ${peak} KiB"
done
