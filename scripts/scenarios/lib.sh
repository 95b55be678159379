# What the desktop scenarios share: a virtual display, the program started on a data folder of its own, and
# keys typed into whichever window has the focus, as a keyboard user would.
# Needs Xvfb and xdotool (Debian: xvfb xdotool); run from the project's root after a build.
set -euo pipefail
BUILD=${BUILD:-build}
CLI="$BUILD/src/cli/tessary-cli"
DATA=$(mktemp -d)
export TESSARY_DATA="$DATA"
DISPLAY_NUMBER=${DISPLAY_NUMBER:-97}
export DISPLAY=":$DISPLAY_NUMBER"
Xvfb "$DISPLAY" -screen 0 1024x768x24 >/dev/null 2>&1 &
XVFB=$!
trap 'kill ${PROGRAM:-} $XVFB ${ACCESSIBILITY:-} 2>/dev/null || true; wait ${PROGRAM:-} 2>/dev/null || true; rm -rf "$DATA"' EXIT
sleep 1

# Starts the desktop program on the data folder.
start_program() {
    "$BUILD/src/ui/tessary" "$@" >"$DATA/program.log" 2>&1 &
    PROGRAM=$!
    sleep 2
}

# Waits until a window of that exact title is shown, then gives it the focus.
focus_window() {
    local id=""
    for _ in $(seq 50); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) && [ -n "$id" ] && break
        sleep 0.1
    done
    [ -n "$id" ] || { echo "no window \"$1\"" >&2; return 1; }
    xdotool windowfocus --sync "$id"
}

keys() { xdotool key --delay 60 "$@"; sleep 0.3; }
type_text() { xdotool type --delay 30 "$1"; sleep 0.2; }
screenshot() { import -window root "$1"; }

check() {
    if [ "$2" = "$3" ]; then echo "ok: $1"; else echo "FAILED: $1: got '$2', expected '$3'" >&2; FAILURES=$((FAILURES + 1)); fi
}
FAILURES=0
