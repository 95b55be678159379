#!/usr/bin/env bash
# Racing writers: an empty lock file aged 10 s, then two adds at once, the first held up for 0.6 s at its first
# unlink (strace) and the second waiting a second for its password. Prints per round the exit statuses and the keys
# listed; LOST when a key whose add reported success is missing.
CLI=${CLI:-$(dirname "$0")/../build/src/cli/tessary-cli}
for round in 1 2 3; do
    D=$(mktemp -d)
    printf 'pw\n' | $CLI --dir $D create-user Ann >/dev/null
    : > $D/Ann.keyRing.lock; touch -d '10 seconds ago' $D/Ann.keyRing.lock
    (printf 'pw\nk1\n' | strace -f -o /dev/null -e inject=unlink:delay_enter=600000:when=1 $CLI --dir $D add Ann K1 2>$D.e1; echo $? > $D.r1) &
    sleep 0.3
    ( (sleep 1; printf 'pw\nk2\n') | $CLI --dir $D add Ann K2 2>$D.e2; echo $? > $D.r2) &
    wait
    keys=$(printf 'pw\n' | $CLI --dir $D ls Ann 2>/dev/null | cut -f1 | tr '\n' ' ')
    r1=$(cat $D.r1); r2=$(cat $D.r2); verdict=ok
    [ "$r1" = 0 ] && ! echo "$keys" | grep -qw K1 && verdict=LOST
    [ "$r2" = 0 ] && ! echo "$keys" | grep -qw K2 && verdict=LOST
    echo "round $round: add K1 exit $r1, add K2 exit $r2 ($(head -c 100 $D.e2 | tr '\n' ' ')), keys: $keys-> $verdict"
    rm -rf $D $D.*
done
