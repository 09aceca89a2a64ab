# tests/rewrite_all_test.sh: every chart of a copy of the demo library selected and divided
# by 1.5 (its files end their lines in LF, CR LF or both, one starts with a byte-order
# mark, one song is an .ssc alone, one an .sm with an .ssc beside it, one cannot be read);
# the report, and every song file checked against its original.
source "$(dirname "$0")/e2e_lib.sh"
source "$(dirname "$0")/support/rewrite_e2e.sh"
require_python
copy_examples
keep_original

start_tool
wait_for_line 0 "+[ ] another Pack (2 songs)"
send a
wait_for_line 0 "+[Y] another Pack (2 songs)"
finish_browser_with_options Down Down Enter
wait_for_line 0 "Use arrow keys set a rating scale. Press Space/Enter to continue."
wait_for_line 1 "< 1.5 >"
wait_for_line 3 " 7 ->  5"
wait_for_line 15 "19 -> 13"
send Enter
wait_for_text "Press Enter to continue"
save_report

# Starfall's .sm, then the .ssc beside it with the same new meters; the .ssc has no Single
# Beginner chart, which the report gives last.
grep -A25 -xF "Rewriting Songs/Demo Pack/Starfall/Starfall.sm..." "$work/report.txt" |
  tail -n 14 >"$work/starfall.txt"
diff - "$work/starfall.txt" <<'LINES' || fail "the report of Starfall differs"
 - Double Edit (17 -> 11)
Rewriting Songs/Demo Pack/Starfall/Starfall.ssc...
 - Single Easy (4 -> 3)
 - Single Medium (7 -> 5)
 - Single Hard (12 -> 8)
 - Single Expert (14 -> 9)
 - Single Edit (16 -> 11)
 - Double Beginner (3 -> 2)
 - Double Easy (5 -> 3)
 - Double Medium (8 -> 5)
 - Double Hard (10 -> 7)
 - Double Expert (13 -> 9)
 - Double Edit (17 -> 11)
 - Single Beginner (2): no matching chart in this file, not changed here
LINES
expect_report_line "Rewriting Songs/Demo Pack/Lanterns/Lanterns.ssc..."
counts="$(grep -c '\.ssc\.\.\.$' "$work/report.txt") $(grep -c '\.sm\.\.\.$' "$work/report.txt")"
[ "$counts" = "2 9" ] || fail ".ssc and .sm files rewritten: $counts, not 2 and 9"
! grep -q "Broken Song\|^Failed to write to" "$work/report.txt" ||
  fail "the unreadable song was named, or a song file could not be written"
[ "$(grep -v '^$' "$work/report.txt" | tail -n 1)" = "Press Enter to continue" ] ||
  fail "the final prompt is not the last line"

send Enter
expect_exit_status 0
check_rewritten_library 555555555555
echo ok
