#!/usr/bin/env bash
# Sets up, builds and starts the desktop program. Its files (the user list, one key ring per user) live in its
# data folder, ~/.local/share/Tessary; TESSARY_DATA chooses another.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    cat >&2 <<MESSAGE

This machine has no display (neither DISPLAY nor WAYLAND_DISPLAY is set), so the desktop program tessary cannot
open its windows. Use the command-line tool instead; it works on the same user list and key rings:

    "$root/build/src/cli/tessary-cli" --help
    "$root/build/src/cli/tessary-cli" users

To see the windows on this machine, start a virtual display first, for example:

    Xvfb :5 & DISPLAY=:5 bash scripts/run.sh
MESSAGE
    exit 0
fi
exec "$root/build/src/ui/tessary" "$@"
