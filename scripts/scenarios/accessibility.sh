#!/usr/bin/env bash
# What a screen reader meets, by keyboard alone: every window opened from the keyboard, each audited over AT-SPI
# (every focusable control named by its label or command, never by its content) and walked with Tab (the focus
# must move on; a control that keeps it is a keyboard trap), and the strength meters and the password check's
# report read as a screen reader reads them (meters.py). Needs lib.sh's tools and Debian's at-spi2-core,
# python3-pyatspi and dbus-x11; A11Y names the audit tool (default: ../shared/tools/a11y/a11y.py).
. "$(dirname "$0")/lib.sh"
A11Y=${A11Y:-$(cd "$(dirname "$0")/../../.." && pwd)/shared/tools/a11y/a11y.py}
eval "$(dbus-launch --sh-syntax)"
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
ACCESSIBILITY="$! $DBUS_SESSION_BUS_PID"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
sleep 1

a11y() { /usr/bin/python3 "$A11Y" "$@"; }

# Audits the window of that exact title and walks it with Tab.
examine() {
    local title=$1 report controls problems focus previous="" same=0 trap="" visited=""
    report=$(a11y audit "^$title\$")
    controls=$(python3 -c 'import json,sys; print(json.loads(sys.argv[1]).get("controls", 0))' "$report")
    problems=$(python3 -c 'import json,sys; print("; ".join(json.loads(sys.argv[1]).get("problems", ["no such window"])))' "$report")
    for _ in $(seq $((2 * controls + 2))); do
        focus=$(/usr/bin/python3 "$(dirname "$0")/focused.py" "^$title\$")
        visited=$(printf '%s\n%s' "$visited" "$focus" | sort -u)
        if [ "$focus" = "$previous" ]; then same=$((same + 1)); else same=0; fi
        [ "$same" -ge 2 ] && [ "$controls" -gt 1 ] && trap="Tab stays on $focus"
        previous=$focus
        keys Tab
    done
    local reached
    reached=$(grep -c . <<<"$visited")
    echo "$title: $controls focusable controls, $reached reached by Tab${problems:+; problems: $problems}${trap:+; $trap}"
    [ "$reached" -ge "$controls" ] || printf '  reached: %s\n' "$(tr '\n' '|' <<<"$visited")"
    [ -z "$problems" ] && [ -z "$trap" ] || FAILURES=$((FAILURES + 1))
}

start_program
focus_window "New User"; keys ctrl+a; type_text "Ann"; keys Tab; type_text "pw"; keys Tab; type_text "pw"
examine "New User"; keys alt+f
focus_window "Tessary"; examine "Tessary"
keys ctrl+n
focus_window "Tessary - Password Wizard"; examine "Tessary - Password Wizard"
# Each page in turn; the walk moves the focus, so the letters of the buttons lead on.
keys alt+n; type_text "Mail"; examine "Tessary - Password Wizard"
keys alt+n; focus_window "Tessary - Password Wizard"; xdotool key alt+p; type_text "some password"
examine "Tessary - Password Wizard"
# "some password": Length 15, Varity 17, Difficulty 106 (at most 100 drawn), Score 46, as tessary-cli estimate says.
keys alt+e
meters=$(/usr/bin/python3 "$(dirname "$0")/meters.py" "^Tessary - Password Wizard\$" | sort | tr '\n' '|')
check "the meters' values, as a screen reader hears them" "$meters" "Difficulty: 100.0|Length: 15.0|Score: 46.0|Varity: 17.0|"
keys alt+e
keys alt+n; examine "Tessary - Password Wizard"
focus_window "Tessary - Password Wizard"; keys alt+b; type_text "some password"; keys alt+n
for _ in $(seq 8); do
    [ "$(/usr/bin/python3 "$(dirname "$0")/focused.py" "^Tessary - Password Wizard\$")" = "push button: Run the advanced password check" ] && break
    keys shift+Tab
done
keys space
sleep 4
report=$(/usr/bin/python3 "$(dirname "$0")/meters.py" "^Tessary - Password Wizard\$" | grep -c "Password check report: .*Working... (13 characters)")
check "the password check's report, as a screen reader hears it" "$report" "1"
keys alt+n; examine "Tessary - Password Wizard"
keys alt+n; examine "Tessary - Password Wizard"
keys alt+f
focus_window "Tessary"; keys F4
focus_window "Key Properties"; examine "Key Properties"; keys Escape
focus_window "Tessary"; keys alt+k w
focus_window "Change Password"; examine "Change Password"; keys Escape
focus_window "Tessary"; keys alt+f m
focus_window "Change Master Password"; examine "Change Master Password"; keys Escape
focus_window "Tessary"; keys alt+f s
focus_window "Key Ring Security"; examine "Key Ring Security"; keys Escape
focus_window "Tessary"; keys alt+v h
focus_window "Key Health"; examine "Key Health"; keys Escape
focus_window "Tessary"; keys alt+h a
focus_window "About Tessary v0.1 Alpha II"; keys alt+p; examine "About Tessary v0.1 Alpha II"; keys Escape
focus_window "Tessary"; keys alt+f x
sleep 1
start_program
focus_window "Tessary Login"; examine "Tessary Login"
exit $((FAILURES > 0))
