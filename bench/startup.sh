#!/usr/bin/env bash
# Start-up of tessary up to its login window, side by side with a bare Qt login-style dialog: the shared
# compare tool runs both under Xvfb and prints the medians and the ratios.
#   bench/startup.sh [PROGRAM]   (default: build/src/ui/tessary)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath "${1:-$root/build/src/ui/tessary}")
compare=${TESSARY_COMPARE:-$root/../shared/tools/startup/compare.sh}
[ -x "$program" ] || { echo "no program at $program: build it first" >&2; exit 1; }
[ -f "$compare" ] || { echo "no compare tool at $compare (set TESSARY_COMPARE)" >&2; exit 1; }

# A data directory with a user list, so the login window is what appears.
data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
printf '"Ann"\r\n"Bob"\r\n' >"$data/Tessary.UserList"
cd "$data"
bash "$compare" -- "$program"
