# tests/rewrite_readonly_test.sh: a song file the user may not write is reported and left
# alone, the run goes on with the other songs, and the exit status is 1. Runs the tool as
# an unprivileged user, since the superuser may write any file.
source "$(dirname "$0")/e2e_lib.sh"
source "$(dirname "$0")/support/rewrite_e2e.sh"
require_python
copy_examples

locked="Songs/Demo Pack/Morning Glide/steps.sm"
as_user=()
if [ "$(id -u)" = 0 ]; then
  command -v setpriv >/dev/null || skip "setpriv is needed to run the tool as an unprivileged user"
  id nobody >/dev/null 2>&1 || skip "there is no user nobody to run the tool as"
  group=$(id -gn nobody)
  chown -R "nobody:$group" "$work/Songs"
  chown "nobody:$group" "$work"  # the undo journal goes beside Songs
  as_user=(setpriv --reuid=nobody "--regid=$group" --clear-groups)
fi
chmod a-w "$work/$locked"
keep_original

start_tool "$work" "${as_user[@]}"
wait_for_line 0 "+[ ] another Pack (2 songs)"
send a
wait_for_line 0 "+[Y] another Pack (2 songs)"
finish_browser_with_options Up Enter
wait_for_line 1 "< 1.5 >"
send Enter
wait_for_text "Press Enter to continue"
save_report

expect_report_line "Failed to write to $locked"
expect_report_line "Rewriting Songs/Demo Pack/Starfall/Starfall.sm..."
[ "$(grep -c '^Failed to write to' "$work/report.txt")" = 1 ] ||
  fail "more than one song file failed"
grep -A1 -xF "Failed to write to $locked" "$work/report.txt" | tail -n 1 | grep -q '^Rewriting ' ||
  fail "the run did not go on after the read-only file"

send Enter
expect_exit_status 1  # a file was not written
cmp "$work/original/${locked#Songs/}" "$work/$locked" || fail "the read-only file changed"
check_rewritten_library 555555555555
echo ok
