#!/usr/bin/env bash
# By keyboard alone: Key Health lists the weak and the reused keys but not the strong one, Esc closes it; Find
# "stro", Enter and Ctrl+C put the strong key's password on the clipboard. Needs xclip besides lib.sh's tools.
. "$(dirname "$0")/lib.sh"

strong=$(head -c 18 /dev/urandom | base64 | tr -d '/+=' | head -c 24)
printf 'pw\n' | "$CLI" --dir "$DATA" create-user Ann >/dev/null
for key in "Weak password" "Strong $strong" "Twin1 Vq8#mT2!xLp9" "Twin2 Vq8#mT2!xLp9"; do
    printf 'pw\n%s\n' "${key#* }" | "$CLI" --dir "$DATA" add Ann "${key%% *}" >/dev/null
done

start_program
focus_window "Tessary Login"; type_text "pw"; keys Return
focus_window "Tessary"; keys alt+v h
focus_window "Key Health"
# The report, to look at: Weak, Twin1 and Twin2 listed, Strong not.
screenshot "${SCREENSHOT:-key-health.png}"
keys Escape
sleep 0.5
check "Key Health closes on Esc" "$(xdotool search --onlyvisible --name '^Key Health$' | wc -l)" "0"
focus_window "Tessary"; keys ctrl+f; type_text "stro"; keys Return ctrl+c
check "the clipboard holds the strong key's password" "$(xclip -o -selection clipboard)" "$strong"
exit $((FAILURES > 0))
