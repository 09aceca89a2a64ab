# tests/rewrite_ssc_test.sh: every chart of a copy of the .ssc corpus divided by 1.5: songs
# with an .ssc only, and .ssc files beside an .sm with their matching charts.
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
grep -A5 -xF "Rewriting Songs/pixelpack/WLD U HLD IT AGAINST ME/Song.sm..." "$work/report.txt" \
  >"$work/pair.txt"
diff - "$work/pair.txt" <<'LINES' || fail "the report of the pixelpack pair differs"
Rewriting Songs/pixelpack/WLD U HLD IT AGAINST ME/Song.sm...
 - Single Expert (1 -> 1)
 - Single Beginner (1 -> 1)
Rewriting Songs/pixelpack/WLD U HLD IT AGAINST ME/Song.ssc...
 - Single Expert (1 -> 1)
 - Single Beginner (1): no matching chart in this file, not changed here
LINES
# An .ssc alone: its dance charts only, none of pump, solo, couple or three panels.
grep -A6 -xF "Rewriting Songs/Engine Samples/MechaTribe Assault/Mecha-Tribe Assault.ssc..." \
  "$work/report.txt" | tail -n 6 >"$work/alone.txt"
diff - "$work/alone.txt" <<'LINES' || fail "the report of an .ssc alone differs"
 - Single Expert (11 -> 7)
 - Single Hard (10 -> 7)
 - Single Medium (8 -> 5)
 - Single Easy (6 -> 4)
 - Single Beginner (2 -> 1)
Rewriting Songs/Engine Samples/Springtime/Springtime.ssc...
LINES
[ "$(grep -c '^Rewriting .*\.ssc\.\.\.$' "$work/report.txt")" = 16 ] || fail "not every .ssc was rewritten"
[ "$(grep -c '^Rewriting .*\.sm\.\.\.$' "$work/report.txt")" = 5 ] || fail "not every .sm was rewritten"
! grep -q "^Failed to write to" "$work/report.txt" || fail "a song file could not be written"

send Enter
expect_exit_status 0
check_rewritten_library 555555555555
echo ok
