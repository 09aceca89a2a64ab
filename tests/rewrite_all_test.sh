# tests/rewrite_all_test.sh: every chart of a copy of the corpus selected and divided by
# 1.5; the report, and every song file checked against its original.
source "$(dirname "$0")/e2e_lib.sh"
source "$(dirname "$0")/support/rewrite_e2e.sh"
require_corpus
require_python
copy_corpus
keep_original

start_tool
wait_for_line 0 "+[ ] Community Mix (24 songs)"
send a
wait_for_line 0 "+[Y] Community Mix (24 songs)"
finish_browser_with_options Down Down Enter
wait_for_line 0 "Use arrow keys set a rating scale. Press Space/Enter to continue."
wait_for_line 1 "< 1.5 >"
wait_for_line 3 " 7 ->  5"
wait_for_line 15 "19 -> 13"
send Enter
wait_for_text "Press Enter to continue"
save_report

expect_report_line "Rewriting Songs/HARDCORE NEZUMBxC/My Heart Bleeds/My Heart Bleeds.sm..."
expect_report_line "Rewriting Songs/Easy As Pie 2/Calcutta/Calcutta.sm..."
# My Heart Bleeds, all nine charts in file order.
grep -A9 -xF "Rewriting Songs/HARDCORE NEZUMBxC/My Heart Bleeds/My Heart Bleeds.sm..." \
  "$work/report.txt" | tail -n 9 >"$work/heart.txt"
diff - "$work/heart.txt" <<'LINES' || fail "the report of My Heart Bleeds differs"
 - Single Beginner (3 -> 2)
 - Single Edit (5 -> 3)
 - Single Edit (7 -> 5)
 - Single Easy (6 -> 4)
 - Single Hard (11 -> 7)
 - Single Medium (8 -> 5)
 - Double Easy (6 -> 4)
 - Double Medium (8 -> 5)
 - Double Hard (11 -> 7)
LINES
! grep -q "^Failed to write to" "$work/report.txt" || fail "a song file could not be written"
[ "$(grep -v '^$' "$work/report.txt" | tail -n 1)" = "Press Enter to continue" ] ||
  fail "the final prompt is not the last line"

send Enter
expect_exit_status 0
check_rewritten_library 555555555555
echo ok
