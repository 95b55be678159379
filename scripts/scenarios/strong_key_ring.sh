#!/usr/bin/env bash
# A strong key ring by keyboard alone: New User with its box ticked (timed: the key is made while the window waits
# with the busy sign), File > Key Ring Security to the classic format and back with every key as it was, and an
# older copy put back: its warning at the login, No opens it read-only (a rename refused, nothing written), Yes
# accepts it. Screenshots of New User, Key Ring Security and the warning into SHOTS (default: the data folder's).
. "$(dirname "$0")/lib.sh"
SHOTS=${SHOTS:-$DATA/shots}
mkdir -p "$SHOTS"
# The generations remembered, and the layout, in a settings store of the scenario's own.
export XDG_CONFIG_HOME="$DATA/config"
in_cli() { printf "$1" | "$CLI" --dir "$DATA" "${@:2}"; }
now_ms() { date +%s%3N; }
format_of() { "$CLI" --dir "$DATA" check Bea.keyRing | sed -n 's/^Format: \([a-z]*\).*/\1/p'; }
keys_of() { in_cli 'correct horse\n' ls Bea --json --show-password 2>&1; }

start_program
focus_window "New User"; keys ctrl+a; type_text "Bea"; keys Tab; type_text "correct horse"; keys Tab
type_text "correct horse"; keys alt+s
screenshot "$SHOTS/new_user_strong.png"
start=$(now_ms)
xdotool key alt+f
until xdotool search --onlyvisible --name '^Tessary$' >/dev/null 2>&1; do sleep 0.02; done
echo "New User's Finish to the key browser: $(($(now_ms) - start)) ms"
check "New User with the box makes a strong ring" "$(format_of)" "strong"
focus_window "Tessary"; keys alt+f x
sleep 1

for key in Mail Bank; do in_cli "correct horse\\n$key-pw\\n" add Bea "$key" --username "bea-$key" >/dev/null; done
before=$(keys_of)
start_program
focus_window "Tessary Login"; type_text "correct horse"; keys Return
sleep 1.5
for target in classic strong; do
    focus_window "Tessary"; keys alt+f s
    focus_window "Key Ring Security"
    screenshot "$SHOTS/key_ring_security_$(format_of).png"
    type_text "correct horse"; keys Return
    sleep 1.5
    screenshot "$SHOTS/converted_to_$target.png"
    keys Return
    check "converted to $target" "$(format_of)" "$target"
    check "every key as it was, in the $target ring" "$(keys_of)" "$before"
done
focus_window "Tessary"; keys alt+f x
sleep 1

# A copy one save older put back.
cp "$DATA/Bea.keyRing" "$DATA/older"
in_cli 'correct horse\n' rename Bea Mail Post >/dev/null
cp "$DATA/older" "$DATA/Bea.keyRing"
for answer in No Yes; do
    start_program
    focus_window "Tessary Login"; type_text "correct horse"; keys Return
    sleep 1.5
    [ "$answer" = No ] && screenshot "$SHOTS/older_key_ring.png"
    if [ "$answer" = No ]; then keys Return; else keys alt+y; fi
    sleep 0.5
    focus_window "Tessary"; keys F2; type_text "Renamed"; keys Return
    sleep 0.5
    [ "$answer" = No ] && { screenshot "$SHOTS/read_only_refusal.png"; keys Return; }
    focus_window "Tessary"; keys alt+f x
    sleep 1
    kill -0 "$PROGRAM" 2>/dev/null && { echo "FAILED: the program is still running" >&2; FAILURES=$((FAILURES + 1)); }
    if [ "$answer" = No ]; then
        cmp -s "$DATA/older" "$DATA/Bea.keyRing" && echo "ok: read-only, nothing written" ||
            { echo "FAILED: the read-only ring was written" >&2; FAILURES=$((FAILURES + 1)); }
    fi
done
first=$(in_cli 'correct horse\n' ls Bea 2>"$DATA/err" | head -n 1 | cut -f1)
check "accepted: the rename saved, and no older ring left" "$first $(cat "$DATA/err")" "Renamed "
exit $((FAILURES > 0))
