#!/usr/bin/env bash
# Every command of the desktop program that changes a key ring, each followed by kill -9 of the program 0.3 s
# after its last key (KILL_DELAY changes that), by keyboard alone under Xvfb; tessary-cli then reads the key ring
# and finds the change in it, or not. Prints one line a command with how many rounds of ROUNDS kept the change.
# Usage (from the project's root, after a build): bash scripts/kill_desktop.sh [ROUNDS]   (default 5)
# COMMANDS="rename undo" runs only those.
ROUNDS=${1:-5}
. "$(dirname "$0")/scenarios/lib.sh"
set +e
DELAY=${KILL_DELAY:-0.3}

run_cli() { local input=$1; shift; printf "$input" | "$CLI" --dir "$DATA" "$@"; }
names() { run_cli 'pw\n' ls Ann | cut -f1 | tr '\n' ' '; }
field() { run_cli 'pw\n' show Ann "$1" --json --show-password | python3 -c 'import json,sys; print(json.load(sys.stdin)[sys.argv[1]].split("\0")[0])' "$2"; }

fresh() {
    rm -rf "${DATA:?}"/* "$DATA"/.tessary* 2>/dev/null
    run_cli 'pw\n' create-user Ann >/dev/null
    for key in Mail Bank Shop; do run_cli "pw\\n$key-pw\\n" add Ann "$key" --url "https://$key.example" >/dev/null; done
}
login() { start_program; focus_window "Tessary Login" && type_text "pw" && keys Return && focus_window "Tessary"; }
kill_now() { sleep "$DELAY"; kill -9 "$PROGRAM" 2>/dev/null; wait "$PROGRAM" 2>/dev/null; PROGRAM=""; }
keys() { xdotool key --delay 60 "$@"; } # no pause after the last key: kill_now waits

# Each command: what it does by keyboard, then what the file must show.
do_rename() { keys F2; sleep 0.3; keys ctrl+a; type_text "Post"; keys Return; }
ok_rename() { [ "$(names)" = "Post Bank Shop " ]; }
do_delete() { keys Down Delete; sleep 0.5; keys alt+y; }
ok_delete() { [ "$(names)" = "Mail Shop " ]; }
do_delete_no() { keys Down Delete; sleep 0.5; keys Return; }
ok_delete_no() { [ "$(names)" = "Mail Bank Shop " ]; } # Enter on the question is No: nothing may go
do_undo() { keys Down Delete; sleep 0.5; keys alt+y; sleep 0.5; keys ctrl+z; }
ok_undo() { [ "$(names)" = "Mail Bank Shop " ] && [ "$(field Bank salt)" = "$BANK_SALT" ]; }
do_properties_ok() { keys F4; focus_window "Key Properties"; keys ctrl+a; type_text "https://new.example"; keys Return; }
ok_properties_ok() { [ "$(field Mail url)" = "https://new.example" ]; }
do_properties_apply() { keys F4; focus_window "Key Properties"; keys Tab ctrl+a; type_text "newuser"; keys alt+a; }
ok_properties_apply() { [ "$(field Mail userName)" = "newuser" ]; }
do_change_password() {
    keys alt+k w; focus_window "Change Password"
    type_text "changed-pw"; keys Tab; type_text "changed-pw"; keys Return
}
ok_change_password() { [ "$(field Mail password)" = "changed-pw" ]; }
do_new_key() {
    keys ctrl+n; focus_window "Tessary - Password Wizard"
    keys alt+n; sleep 0.3; type_text "Club"; keys alt+n; sleep 0.3; keys alt+g; sleep 0.3; keys alt+n alt+n alt+n; sleep 0.3
    keys alt+f
}
ok_new_key() { [ "$(names)" = "Mail Bank Shop Club " ]; }
do_import() { keys alt+f i; sleep 0.5; keys Return; }
ok_import() { [ "$(names)" = "Mail Bank Shop Gym " ]; }

commands=(${COMMANDS:-rename delete delete_no undo properties_ok properties_apply change_password new_key import})
for command in "${commands[@]}"; do
    kept=0
    for round in $(seq "$ROUNDS"); do
        fresh
        BANK_SALT=$(field Bank salt)
        if [ "$command" = import ]; then
            run_cli 'pw\nx\n' add Ann Gym >/dev/null; run_cli 'pw\n' export Ann >/dev/null; run_cli 'pw\n' rm Ann Gym >/dev/null
        fi
        login >/dev/null 2>&1 || { echo "FAILED: $command round $round: no key browser" >&2; continue; }
        "do_$command"
        kill_now
        if "ok_$command"; then kept=$((kept + 1)); else echo "  $command round $round: the file shows $(names)" >&2; fi
    done
    echo "$command: $kept of $ROUNDS kept after kill -9"
    [ "$kept" -eq "$ROUNDS" ] || FAILURES=$((FAILURES + 1))
done
exit $((FAILURES > 0))
