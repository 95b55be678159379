#!/usr/bin/env bash
# A first week by keyboard alone: Del asks and No keeps the key, Del and Yes deletes it at once, Ctrl+Z brings it
# back byte for byte; an F2 rename survives kill -9; Key Properties walked by Tab top to bottom, Alt+H showing the
# password; screenshots of Key Health with 255-character names and of the wizard's generator (SHOTS names their
# folder, default the current one). Needs lib.sh's tools and, for the Tab walk, those of accessibility.sh.
. "$(dirname "$0")/lib.sh"
SHOTS=${SHOTS:-.}
eval "$(dbus-launch --sh-syntax)"
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
ACCESSIBILITY="$! $DBUS_SESSION_BUS_PID"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

in_cli() { local input=$1; shift; printf "$input" | "$CLI" --dir "$DATA" "$@"; }
names() { in_cli 'pw\n' ls Ann | cut -f1 | cut -c1-12 | tr '\n' ' '; }
focused() { /usr/bin/python3 "$(dirname "$0")/focused.py" "^$1\$"; }
# The question box bears the key browser's title; it is the newer of the two windows. (With no window manager
# here, nothing hands the focus on by itself.)
focus_question() {
    sleep 0.5
    xdotool windowfocus --sync "$(xdotool search --onlyvisible --name '^Tessary$' | tail -n 1)"
}

in_cli 'pw\n' create-user Ann >/dev/null
for key in Mail Bank Shop; do in_cli "pw\\n$key-pw\\n" add Ann "$key" --username "ann-$key" >/dev/null; done
# Two keys Key Health lists (weak passwords) with names of 255 characters.
for letter in a b; do
    in_cli 'pw\nabc\n' add Ann "$(printf "$letter%.0s" $(seq 250))-tail" >/dev/null
done
bank=$(in_cli 'pw\n' show Ann Bank --json --show-password)

start_program
focus_window "Tessary Login"; type_text "pw"; keys Return
focus_window "Tessary"
keys Down Delete
focus_question; keys Return # the question's No, its default
check "Del, then Enter on No: every key still there" "$(names)" "Mail Bank Shop aaaaaaaaaaaa bbbbbbbbbbbb "
focus_window "Tessary"; keys Delete
focus_question; keys alt+y
check "Del, then Yes: Bank gone from the file at once" "$(names)" "Mail Shop aaaaaaaaaaaa bbbbbbbbbbbb "
focus_window "Tessary"; keys ctrl+z
check "Ctrl+Z: Bank back in its place" "$(names)" "Mail Bank Shop aaaaaaaaaaaa bbbbbbbbbbbb "
check "Ctrl+Z: Bank byte for byte, salt and stamp" "$(in_cli 'pw\n' show Ann Bank --json --show-password)" "$bank"

focus_window "Tessary"; keys Home F2 ctrl+a; type_text "Post"; keys Return
sleep 0.3
kill -9 "$PROGRAM"; wait "$PROGRAM" 2>/dev/null || true
check "F2 rename, then kill -9: the new name in the file" "$(names)" "Post Bank Shop aaaaaaaaaaaa bbbbbbbbbbbb "

start_program
focus_window "Tessary Login"; type_text "pw"; keys Return
focus_window "Tessary"; keys Home F4
focus_window "Key Properties"
walk=""
for _ in $(seq 11); do walk="$walk$(focused "Key Properties" | cut -d: -f2 | sed 's/^ //')|"; keys Tab; done
check "Key Properties by Tab, top to bottom, the buttons last" "$walk" \
    "URL|Username|Password|Show|Copy Password|Change Password|Key Description|OK|Apply|Cancel|Keyname|"
# Tab to the password field, then Alt+H.
keys Tab Tab Tab alt+h shift+Tab
check "Alt+H: the password field shows its text" "$(focused "Key Properties")" "text: Password:"
screenshot "$SHOTS/key-properties-shown.png"
keys Escape

focus_window "Tessary"; keys alt+v h
focus_window "Key Health"; sleep 0.5
screenshot "$SHOTS/key-health-long-names.png"
keys Escape
focus_window "Tessary"; keys ctrl+n
focus_window "Tessary - Password Wizard"
keys alt+n; type_text "Club"; keys alt+n alt+g
screenshot "$SHOTS/wizard-generator.png"
keys Escape
exit $((FAILURES > 0))
