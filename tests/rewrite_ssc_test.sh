# tests/rewrite_ssc_test.sh: every chart of a copy of the .ssc corpus divided by 1.5: songs
# with an .ssc only, and .ssc files beside an .sm with their matching charts; then the
# undo.
source "$(dirname "$0")/e2e_lib.sh"
source "$(dirname "$0")/support/rewrite_e2e.sh"
[ -d "${RERATE_CORPUS_SSC_DIR:-}/Songs" ] ||
  skip "../shared/corpus-ssc is absent: this test needs its real song files"
require_python
cp -R "$RERATE_CORPUS_SSC_DIR/Songs" "$work/Songs"
chmod -R u+w "$work/Songs"
keep_original

start_tool
wait_for_line 0 "+[ ] Club Fantastic Season 1 (2 songs)"
send a
finish_browser_with_options Down Down Enter
wait_for_line 1 "< 1.5 >"
send Enter
wait_for_text "Press Enter to continue"
save_report

# The pack's .sm has a Beginner chart that its .ssc lacks.
expect_report_line "Rewriting Songs/pixelpack/WLD U HLD IT AGAINST ME/Song.ssc..."
expect_report_line " - Single Beginner (1): no matching chart in this file, not changed here"
counts="$(grep -c '^Rewriting .*\.ssc\.\.\.$' "$work/report.txt") $(grep -c '\.sm\.\.\.$' "$work/report.txt")"
[ "$counts" = "16 5" ] || fail ".ssc and .sm files rewritten: $counts, not 16 and 5"
! grep -q "^Failed to write to" "$work/report.txt" || fail "a song file could not be written"

send Enter
expect_exit_status 0
check_rewritten_library 555555555555

# The undo gives every .ssc and .sm back byte for byte.
(cd "$work" && "$RERATE_BIN" --undo >undo.txt) || fail "the undo failed: $(cat "$work/undo.txt")"
diff -r "$work/original" "$work/Songs" >/dev/null || fail "the undo did not restore every file"
echo ok
