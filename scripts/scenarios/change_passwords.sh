#!/usr/bin/env bash
# By keyboard alone: a key's password changed from the Key menu, then the master password from the File menu,
# then File > Exit; tessary-cli then finds the new key password under a fresh salt, the other key unchanged, and
# refuses the old master password.
. "$(dirname "$0")/lib.sh"

printf 'old master\n' | "$CLI" --dir "$DATA" create-user Ann >/dev/null
printf 'old master\nmail-pw\n' | "$CLI" --dir "$DATA" add Ann Mail >/dev/null
printf 'old master\nbank-pw\n' | "$CLI" --dir "$DATA" add Ann Bank >/dev/null
before=$(printf 'old master\n' | "$CLI" --dir "$DATA" ls Ann --json --show-password)

start_program
focus_window "Tessary Login"
type_text "old master"; keys Return
focus_window "Tessary"
keys alt+k w
focus_window "Change Password"
type_text "new key pw"; keys Tab; type_text "new key pw"; keys Return
focus_window "Tessary"
keys alt+f m
focus_window "Change Master Password"
type_text "old master"; keys Tab; type_text "new master"; keys Tab; type_text "new master"; keys Return
focus_window "Tessary"
keys alt+f x
sleep 1
kill -0 "$PROGRAM" 2>/dev/null && { echo "FAILED: the program is still running" >&2; FAILURES=$((FAILURES + 1)); }

after=$(printf 'new master\n' | "$CLI" --dir "$DATA" ls Ann --json --show-password)
field() { python3 -c 'import json,sys; k=json.loads(sys.argv[1])[int(sys.argv[2])]; print(k[sys.argv[3]].split("\0")[0])' "$@"; }
check "the first key's new password" "$(field "$after" 0 password)" "new key pw"
[ "$(field "$after" 0 salt)" != "$(field "$before" 0 salt)" ] && echo "ok: a fresh salt" ||
    { echo "FAILED: the salt stayed" >&2; FAILURES=$((FAILURES + 1)); }
check "the other key's password" "$(field "$after" 1 password)" "bank-pw"
check "the other key's salt" "$(field "$after" 1 salt)" "$(field "$before" 1 salt)"
printf 'old master\n' | "$CLI" --dir "$DATA" ls Ann >/dev/null 2>"$DATA/err" && status=0 || status=$?
check "the old master password is refused" "$status $(cat "$DATA/err")" "1 Incorrect Password!"
exit $((FAILURES > 0))
