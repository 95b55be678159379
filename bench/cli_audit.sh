#!/usr/bin/env bash
# Times `tessary-cli audit` on a full 255-key ring against `ls` of the same ring, and the audit with a breach
# list of 2 million lines (about 90 MB, sorted HEX40:COUNT lines) against the audit without it.
# Usage: bench/cli_audit.sh [path/to/tessary-cli]   (default: build/src/cli/tessary-cli; needs hyperfine, python3)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cli=$(realpath "${1:-$here/../build/src/cli/tessary-cli}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf 'bench password\n' | "$cli" --dir "$work" create-user bench >/dev/null
for i in $(seq 255); do
    printf 'bench password\nkey password %s\n' "$i" |
        "$cli" --dir "$work" add bench "key $i" --username "user $i" --url "example.com/$i" --notes "notes $i"
done
printf 'bench password\n' >"$work/password"
python3 - "$work/breaches.txt" <<'PYTHON'
import hashlib, random, sys
random.seed(1)
lines = ["%s:%d\r\n" % (hashlib.sha1(b"pw%d" % i).hexdigest().upper(), random.randint(1, 100000))
         for i in range(2_000_000)]
lines.append("%s:42\r\n" % hashlib.sha1(b"key password 17").hexdigest().upper())
lines.sort()
open(sys.argv[1], "w", newline="").write("".join(lines))
PYTHON
[ "$("$cli" --dir "$work" audit bench --breached breaches.txt <"$work/password" | grep -c breached)" -eq 1 ]

hyperfine -w 5 -r 50 \
    -n "ls (255 keys)" "'$cli' --dir '$work' ls bench < '$work/password' > /dev/null" \
    -n "audit (255 keys)" "'$cli' --dir '$work' audit bench < '$work/password' > /dev/null" \
    -n "audit with a 2-million-line breach list" \
    "'$cli' --dir '$work' audit bench --breached breaches.txt < '$work/password' > /dev/null"
