# tests/undo_test.sh: a rewrite of every chart of a copy of the demo library at 1.5 with its
# report kept in a file (the screens on the terminal), then `rerate --undo`: every file
# back byte for byte, but for one edited after the rewrite, which is left alone and
# reported; a second undo restores nothing and says so.
source "$(dirname "$0")/e2e_lib.sh"
source "$(dirname "$0")/support/rewrite_e2e.sh"
copy_examples
keep_original

# The tool with standard output sent to report.txt, in the terminal of the tmux session.
tmux -L "$socket" -f /dev/null new-session -d -s "$session" -x 80 -y 24 -c "$work" \
  "$(printf '%q' "$RERATE_BIN") > report.txt; echo \$? > .exit-status; exec sleep 3600"
wait_for_line 0 "+[ ] another Pack (2 songs)"
send a
finish_browser_with_options Down Down Enter
wait_for_line 1 "< 1.5 >"
send Enter
expect_exit_status 0  # no wait for Enter: nobody reads a report kept in a file
journal=$(cd "$work" && ls rerate-undo-*.txt)
[ "$(tail -n 1 "$work/report.txt")" = "To undo this rewrite: rerate --undo $journal" ] ||
  fail "the report does not end with the undo command: $(tail -n 1 "$work/report.txt")"
grep -qxF "Rewriting Songs/Demo Pack/Starfall/Starfall.ssc..." "$work/report.txt" ||
  fail "the report is not in the file"
! screen | grep -q "Rewriting" || fail "the report went to the terminal"
[ ! -e "$work/Songs/$journal" ] && [ -z "$(ls "$work/Songs" | grep -v '^[A-Za-z]' || true)" ] ||
  fail "the journal is not beside Songs"

edited="Songs/Demo Pack/Morning Glide/steps.sm"
printf '// edited\n' >>"$work/$edited"
cp "$work/$edited" "$work/edited.sm"
status=0
(cd "$work" && "$RERATE_BIN" --undo >undo.txt 2>&1) || status=$?
[ "$status" = 1 ] || fail "undo with a file left alone: exit status $status, expected 1"
grep -qxF "Not restored $edited: it changed after the rewrite" "$work/undo.txt" ||
  fail "the edited file is not reported: $(cat "$work/undo.txt")"
grep -A1 -xF "Restored Songs/Demo Pack/Starfall/Starfall.ssc" \
  "$work/undo.txt" | tail -n 1 | grep -qxF " - Single Easy (3 -> 4)" ||
  fail "a restored file's meters are not reported"
cmp "$work/$edited" "$work/edited.sm" || fail "the edited file was touched"
cp "$work/original/${edited#Songs/}" "$work/edited-original.sm"
cp "$work/$edited" "$work/original/${edited#Songs/}"
diff -r "$work/original" "$work/Songs" || fail "the undo did not restore every other file"

status=0
(cd "$work" && "$RERATE_BIN" --undo "$journal" >again.txt 2>&1) || status=$?
[ "$status" = 1 ] || fail "second undo: exit status $status, expected 1 (the edited file)"
! grep -q "^Restored Songs" "$work/again.txt" || fail "the second undo restored a file again"
grep -qxF "Already restored Songs/Demo Pack/Starfall/Starfall.ssc" \
  "$work/again.txt" || fail "the second undo does not say the files were restored before"
diff -r "$work/original" "$work/Songs" || fail "the second undo changed a file"
echo ok
