#!/usr/bin/env bash
# By keyboard alone: a KeePassXC database exported as CSV by keepassxc-cli, then File > Import From, the file named
# in the file dialog, the preview (15 to import, 1 refused) read in a screenshot, Import, and the keys listed by
# tessary-cli. Needs keepassxc (keepassxc-cli) besides lib.sh's tools.
. "$(dirname "$0")/lib.sh"

printf 'pw\n' | "$CLI" --dir "$DATA" create-user Ann >/dev/null
printf 'pw\nmine\n' | "$CLI" --dir "$DATA" add Ann "Site 1" >/dev/null
{
    echo '<KeePassFile><Root><Group><Name>Root</Name>'
    for i in $(seq 1 15); do
        echo "<Entry><Times><CreationTime>2020-01-0${i:0:1}T10:00:00Z</CreationTime></Times>"
        echo "<String><Key>Title</Key><Value>Site $i</Value></String>"
        echo "<String><Key>UserName</Key><Value>user$i</Value></String>"
        echo "<String><Key>Password</Key><Value>pw-$i</Value></String></Entry>"
    done
    echo "<Entry><String><Key>Title</Key><Value>Too long</Value></String>"
    echo "<String><Key>Password</Key><Value>$(printf 'x%.0s' $(seq 129))</Value></String></Entry>"
    echo '</Group></Root></KeePassFile>'
} >"$DATA/seed.xml"
printf 'db\ndb\n' | keepassxc-cli import -q -p -t 100 "$DATA/seed.xml" "$DATA/seed.kdbx" >/dev/null
printf 'db\n' | keepassxc-cli export -q -f csv "$DATA/seed.kdbx" >"$DATA/keepassxc.csv"

start_program
focus_window "Tessary Login"; type_text "pw"; keys Return
focus_window "Tessary"; keys alt+f f
focus_window "Import From"
type_text "$DATA/keepassxc.csv"; keys Return
focus_window "Import from keepassxc.csv"
# The preview, to look at: the count above the rows, "Site 1" renamed, "Too long" refused with its reason.
screenshot "${SCREENSHOT:-import-preview.png}"
keys alt+i
sleep 1
check "the preview closes on Import" "$(xdotool search --onlyvisible --name '^Import from' | wc -l)" "0"
focus_window "Tessary"
screenshot "${BROWSER_SCREENSHOT:-import-browser.png}"
listed=$(printf 'pw\n' | "$CLI" --dir "$DATA" ls Ann | cut -f1)
check "the keys listed" "$(echo "$listed" | wc -l)" "16"
check "the clash renamed" "$(echo "$listed" | grep -c '^Site 1 (2)$')" "1"
check "the refused row left out" "$(echo "$listed" | grep -c 'Too long')" "0"
exit $((FAILURES > 0))
