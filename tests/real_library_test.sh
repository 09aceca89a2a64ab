# tests/real_library_test.sh: the extra pass on a real library, the folder given (it holds
# Songs; ../shared/corpus or ../shared/corpus-ssc): every chart of a copy selected and
# divided by 1.5, every song file checked against its original and the report, then the
# undo gives every file back byte for byte.
source "$(dirname "$0")/e2e_lib.sh"
source "$(dirname "$0")/support/rewrite_e2e.sh"
library=${1:?the folder that holds the real library}
[ -d "$library/Songs" ] || skip "$library is absent: this pass needs its real song files"
require_python
cp -R "$library/Songs" "$work/Songs"
chmod -R u+w "$work/Songs"
keep_original

start_tool
wait_for_line 23 "Toggle (A)ll, (S)ingle, (D)ouble"
send a
finish_browser_with_options Down Down Enter
wait_for_line 1 "< 1.5 >"
send Enter
wait_for_text "Press Enter to continue"
save_report
! grep -q "^Failed to write to" "$work/report.txt" || fail "a song file could not be written"
send Enter
expect_exit_status 0
check_rewritten_library 555555555555

(cd "$work" && "$RERATE_BIN" --undo >undo.txt) || fail "the undo failed: $(cat "$work/undo.txt")"
diff -r "$work/original" "$work/Songs" >/dev/null || fail "the undo did not restore every file"
echo ok
