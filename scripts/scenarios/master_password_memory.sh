#!/usr/bin/env bash
# After Change Master Password, by keyboard: a core dump of the running program (gcore) holds the new master
# password once in the code page, the session's own copy that its saves need, and never as UTF-16, the line edits'
# text. Needs gdb besides the scenario tools.
. "$(dirname "$0")/lib.sh"

master=N3wMasterQx9
printf 'old master\n' | "$CLI" --dir "$DATA" create-user Ann >/dev/null
start_program
focus_window "Tessary Login"
type_text "old master"; keys Return
focus_window "Tessary"
keys alt+f m
focus_window "Change Master Password"
type_text "old master"; keys Tab; type_text "$master"; keys Tab; type_text "$master"; keys Return
focus_window "Tessary"
sleep 2
gcore -o "$DATA/core" "$PROGRAM" >/dev/null 2>&1
count() { python3 -c 'import sys; print(open(sys.argv[1], "rb").read().count(sys.argv[2].encode(sys.argv[3])))' "$DATA/core.$PROGRAM" "$master" "$1"; }
check "the new master password in UTF-16" "$(count utf-16-le)" 0
check "the new master password in the code page (the session's)" "$(count latin-1)" 1
keys alt+f x
exit $((FAILURES > 0))
