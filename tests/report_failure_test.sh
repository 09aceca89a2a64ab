# tests/report_failure_test.sh: a report that cannot be written (a full disk, a closed
# pipe) ends the rewrite and the undo with status 1 and one line on standard error, the
# files being written settled.
source "$(dirname "$0")/e2e_lib.sh"
cd "$work"
mkdir -p Songs/G/A
printf '#TITLE:A;\n#NOTES:\n dance-single:\n x:\n Hard:\n 12:\n 0:\n0000\n;\n' >Songs/G/A/a.sm
cp Songs/G/A/a.sm before.sm
expect_error() {  # the exit status, and standard error
  [ "$status" = 1 ] && [ "$(cat err.txt)" = "$1" ] || fail "status $status: $(cat err.txt)"
}

start_tool "$work" bash -c 'exec "$0" >/dev/full 2>err.txt'
wait_for_text "+[ ] G (1 song"
send a F5
wait_for_line 3 "Continue"
send Down Down Enter
wait_for_text "Use arrow keys set a rating scale."
send Enter
expect_exit_status 1
status=1
expect_error "rerate: the report could not be written (No space left on device); \
the rewrite stopped there; rerate --undo $(ls rerate-undo-*) undoes it"
grep -q '^ 8:$' Songs/G/A/a.sm || fail "the song file was not rewritten"
status=0
python3 -c 'import os, sys; r, w = os.pipe(); os.close(r); os.dup2(w, 1); os.execv(sys.argv[1],
  sys.argv[1:])' "$RERATE_BIN" --undo 2>err.txt || status=$?
expect_error "rerate: the report could not be written (Broken pipe); the undo stopped there"
cmp before.sm Songs/G/A/a.sm || fail "the undo did not restore the song file"
echo ok
