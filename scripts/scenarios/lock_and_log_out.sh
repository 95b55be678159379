#!/usr/bin/env bash
# The lock by keyboard alone, on a session bus of its own: Key Properties open with notes typed and not stored, the
# screen saver's ActiveChanged(true) sent from another process, and within 2 s only the login window shows; the
# command-line tool adds a key meanwhile; a core dump of the locked program holds no key's password, no notes and
# not the master password (counted before the lock too); the next login lists the new key and the typed notes
# were not stored. Then Ctrl+L, Log Out and a login as another user, and Options' idle lock of 1 minute, which
# locks after 70 s without input. Prints the lock's latency. STRONG=1 gives Ann a strong key ring. Needs gdb and
# dbus-x11 besides the scenario tools.
. "$(dirname "$0")/lib.sh"
eval "$(dbus-launch --sh-syntax)"
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
ACCESSIBILITY="$! $DBUS_SESSION_BUS_PID"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
# Options are kept per user: a home of its own, so that the defaults hold.
export HOME="$DATA/home" XDG_CONFIG_HOME="$DATA/home/.config"
mkdir -p "$HOME"

master=Mq7-master-Lock
in_cli() { local input=$1; shift; printf "$input" | "$CLI" --dir "$DATA" "$@"; }
focused() { /usr/bin/python3 "$(dirname "$0")/focused.py" "^$1\$"; }
# The titles of the program's windows on the screen, one line each, sorted.
shown_windows() {
    for id in $(xdotool search --onlyvisible --pid "$PROGRAM" 2>/dev/null); do xdotool getwindowname "$id"; done |
        grep -v '^$' | sort | tr '\n' '|'
}
wait_for_windows() {
    for _ in $(seq 200); do [ "$(shown_windows)" = "$1" ] && return 0; sleep 0.01; done
    return 1
}
core_counts() {
    rm -f "$DATA/core".*
    gcore -o "$DATA/core" "$PROGRAM" >/dev/null 2>&1
    python3 "$(dirname "$0")/core_secrets.py" "$DATA/core.$PROGRAM" "master=$master" \
        "Mail's password=Mail-pw-9xQz" "Bank's password=Bank-pw-4kWv" "Bank's notes=vault code behind the clock" \
        "typed notes=typed-before-the-lock"
}
total() { awk '{ sum += $1 } END { print sum + 0 }'; }

in_cli "$master\\n" create-user Ann ${STRONG:+--strong} >/dev/null
in_cli "$master\\nMail-pw-9xQz\\n" add Ann Mail --username ann >/dev/null
in_cli "$master\\nBank-pw-4kWv\\n" add Ann Bank --notes "vault code behind the clock" >/dev/null
in_cli 'bob master\n' create-user Bob >/dev/null

start_program
focus_window "Tessary Login"; type_text "$master"; keys Return
focus_window "Tessary"; keys End F4
focus_window "Key Properties"
keys Tab Tab Tab Tab Tab Tab
type_text "typed-before-the-lock"
echo "--- the core while logged in (total latin-1 utf-8 utf-16le utf-16be secret):"
core_counts | tee "$DATA/before"

start=$(date +%s%N)
dbus-send --session --type=signal /org/freedesktop/ScreenSaver org.freedesktop.ScreenSaver.ActiveChanged boolean:true
wait_for_windows "Tessary Login|" || true
latency=$((($(date +%s%N) - start) / 1000000))
check "ActiveChanged(true): only the login window within 2 s" "$(shown_windows)" "Tessary Login|"
echo "lock latency, from the signal to the last window gone: $latency ms"
check "the lock within 2 s" "$((latency <= 2000))" 1
check "the command-line tool writes while locked" \
    "$(in_cli "$master\\nCli-pw-7rTy\\n" add Ann ZCli >/dev/null 2>&1 && echo added)" added
sleep 1
echo "--- the core after the lock:"
core_counts | tee "$DATA/after"
check "nothing of the keys or the master password in the locked program" "$(total <"$DATA/after")" 0

focus_window "Tessary Login"
check "the password box has the focus, the locked user chosen" "$(focused "Tessary Login")" "password text: Password"
type_text "$master"; keys Return
focus_window "Tessary"; keys End
check "logged in again: the key the tool added is listed" "$(focused Tessary)" "list item: ZCli"
check "the notes typed before the lock were not stored" \
    "$(for key in Mail Bank; do in_cli "$master\\n" show Ann "$key" --json; done | grep -c typed-before)" 0

keys ctrl+l
check "Ctrl+L: only the login window" "$(wait_for_windows "Tessary Login|"; shown_windows)" "Tessary Login|"
type_text "$master"; keys Return
focus_window "Tessary"; keys alt+f o
check "Log Out: only the login window" "$(wait_for_windows "Tessary Login|"; shown_windows)" "Tessary Login|"
focus_window "Tessary Login"
keys shift+Tab; type_text "B"; keys Tab
type_text "bob master"; keys Return
focus_window "Tessary"
keys End
check "Bob's key browser shows none of Ann's keys" "$(focused Tessary | grep -c 'ZCli\|Mail\|Bank')" 0

keys alt+v o
focus_window "Options"
keys ctrl+a; type_text "1"; keys Return
focus_window "Tessary"
idle_start=$(date +%s)
wait_for_windows "Tessary Login|" || true
for _ in $(seq 90); do [ "$(shown_windows)" = "Tessary Login|" ] && break; sleep 1; done
idle=$(($(date +%s) - idle_start))
echo "Options' 1 minute idle: locked after $idle s without input"
check "locked after a minute without input" "$(shown_windows)" "Tessary Login|"
check "not before the minute" "$((idle >= 59))" 1
check "within 70 s" "$((idle <= 70))" 1
kill "$PROGRAM"
exit $((FAILURES > 0))
