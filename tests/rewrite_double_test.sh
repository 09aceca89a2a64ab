# tests/rewrite_double_test.sh: only the Double charts of a copy of the demo library
# selected, with a divisor per mode and per difficulty; Single charts stay as they were.
source "$(dirname "$0")/e2e_lib.sh"
source "$(dirname "$0")/support/rewrite_e2e.sh"
require_python
copy_examples
keep_original

start_tool
wait_for_line 0 "+[ ] another Pack (2 songs)"
send d
wait_for_line 2 "+[*] zz Lowercase pack (4 songs)"
# Both options on, then Continue.
finish_browser_with_options Enter
wait_for_line 0 "[Y] Use different multiplier for Single/Double"
send Down Enter
wait_for_line 1 "[Y] Use different multiplier per difficulty"
send Down Enter

single_steps=(5 5 5 9 5 5)  # changed Single steps must not touch anything
double_steps=(1 2 5 6 9 4)
difficulties=(Beginner Easy Medium Hard Expert Edit)
for i in 0 1 2 3 4 5; do set_scale_screen Single "${difficulties[i]}" "${single_steps[i]}"; done
for i in 0 1 2 3 4 5; do set_scale_screen Double "${difficulties[i]}" "${double_steps[i]}"; done
wait_for_text "Press Enter to continue"
save_report

expect_report_line "Rewriting Songs/another Pack/Clockwork/Clockwork.sm..."
expect_report_line " - Double Hard (9 -> 6)"
expect_report_line " - Double Easy (4 -> 3)"
! grep -q "^ - Single" "$work/report.txt" || fail "a Single chart was converted"
! grep -q "^Failed to write to" "$work/report.txt" || fail "a song file could not be written"

send Enter
expect_exit_status 0
check_rewritten_library "$(printf '%s' "${single_steps[@]}" "${double_steps[@]}")" Double
echo ok
