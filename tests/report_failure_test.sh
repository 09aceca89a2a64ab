# tests/report_failure_test.sh: a report that cannot be written (a full disk) ends the
# rewrite and the undo with status 1 and one line on standard error, once the files being
# written are settled; names and arguments echoed on standard error have their control
# characters escaped. Generates its own library.
source "$(dirname "$0")/e2e_lib.sh"
cd "$work"
mkdir -p Songs/G/A
printf '#TITLE:A;\n#NOTES:\n dance-single:\n x:\n Hard:\n 12:\n 0:\n0000\n;\n' >Songs/G/A/a.sm
cp Songs/G/A/a.sm before.sm

start_tool "$work" bash -c 'exec "$0" >/dev/full 2>err.txt'
wait_for_text "+[ ] G (1 song"
send a F5
wait_for_line 3 "Continue"
send Down Down Enter
wait_for_text "Use arrow keys set a rating scale."
send Enter
expect_exit_status 1
journal=$(ls rerate-undo-*.txt)
[ "$(cat err.txt)" = "rerate: the report could not be written (No space left on device); the \
rewrite stopped there; rerate --undo $journal undoes it" ] || fail "rewrite: $(cat err.txt)"
grep -q '^ 8:$' Songs/G/A/a.sm || fail "the song file was not rewritten: $(cat Songs/G/A/a.sm)"

status=0
"$RERATE_BIN" --undo >/dev/full 2>err.txt || status=$?
[ "$status" = 1 ] && [ "$(cat err.txt)" = "rerate: the report could not be written (No space \
left on device); the undo stopped there" ] || fail "undo: status $status, $(cat err.txt)"
cmp before.sm Songs/G/A/a.sm || fail "the undo did not restore the song file"

status=0
"$RERATE_BIN" --undo $'x\e]2;t\a' 2>err.txt || status=$?
[ "$status" = 1 ] && [ "$(cat err.txt)" = 'rerate: the journal x\x1b]2;t\x07 cannot be read' ] ||
  fail "journal name: status $status, $(cat -v err.txt)"
status=0
"$RERATE_BIN" $'-\e[2J' 2>err.txt || status=$?
[ "$status" = 2 ] && [ "$(head -n 1 err.txt)" = "rerate: unknown option '-\\x1b[2J'" ] ||
  fail "argument: status $status, $(cat -v err.txt)"
echo ok
