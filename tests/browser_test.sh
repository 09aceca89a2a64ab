# tests/browser_test.sh: the selection browser on a copy of the demo library, end to end:
# the first frame, expanding, selecting with Space, Enter and "a", paging, and F5.
source "$(dirname "$0")/e2e_lib.sh"
copy_examples

help_keys="(Left/Right) Collapse/expand, (Space/Enter) Select, (F5) Done"
help_toggles="Toggle (A)ll, (S)ingle, (D)ouble"

# Compares the whole screen, line by line (trailing blanks ignored), with the lines given
# on standard input, followed by empty lines down to line 20, the status line $status and
# the two help lines.
expect_screen() {
  local -a want got
  mapfile -t want
  while ((${#want[@]} < 21)); do want+=(""); done
  want+=("$status" "$help_keys" "$help_toggles")
  mapfile -t got < <(screen | sed 's/ *$//')
  local y
  for ((y = 0; y < 24; y++)); do
    [ "${got[y]:-}" = "${want[y]}" ] || fail "line $y reads '${got[y]:-}', expected '${want[y]}'"
  done
}

status="Selected: 0 charts in 0 songs, 0 files   ? help"
start_tool

# Every group collapsed, in name order (letter case ignored), with its song count.
wait_for_line 0 "+[ ] another Pack (2 songs)"
wait_for_line 23 "$help_toggles"
expect_screen <<'LINES'
+[ ] another Pack (2 songs)
+[ ] Demo Pack (5 songs)
+[ ] zz Lowercase pack (4 songs)
LINES

# Open a group and its first song, and select the song's first chart.
send Down Right Right Space
wait_for_line 3 "        [Y] Single Beginner 2"
status="Selected: 1 chart in 1 song, 1 file   ? help"
expect_screen <<'LINES'
+[ ] another Pack (2 songs)
-[*] Demo Pack
    -[*] Afterglow Run
        [Y] Single Beginner 2
        [ ] Single Easy 3
        [ ] Single Medium 8
        [ ] Single Hard 11
        [ ] Single Expert 13
        [ ] Single Edit 17
        [ ] Double Beginner 3
        [ ] Double Easy 5
        [ ] Double Medium 9
        [ ] Double Hard 10
        [ ] Double Expert 15
        [ ] Double Edit 19
    +[ ] bright Lights (12 charts)
    +[ ] Lanterns (12 charts)
    +[ ] Morning Glide (12 charts)
    +[ ] Starfall (12 charts)
+[ ] zz Lowercase pack (4 songs)
LINES

# From the end, select a whole (collapsed) song with Enter, then open it.
send End Up Enter Right
wait_for_line 18 "    -[Y] Starfall"
wait_for_line 19 "        [Y] Single Beginner 2"
wait_for_line 20 "        [Y] Single Easy 4"
wait_for_line 2 "    -[*] Afterglow Run"

# Page Down runs into the end of the list and stops on the last row, which stands on
# the next-to-last list line.
send NPage
wait_for_line 19 "+[ ] zz Lowercase pack (4 songs)"
status="Selected: 13 charts in 2 songs, 3 files   ? help"
expect_screen <<'LINES'
        [ ] Double Hard 10
        [ ] Double Expert 15
        [ ] Double Edit 19
    +[ ] bright Lights (12 charts)
    +[ ] Lanterns (12 charts)
    +[ ] Morning Glide (12 charts)
    -[Y] Starfall
        [Y] Single Beginner 2
        [Y] Single Easy 4
        [Y] Single Medium 7
        [Y] Single Hard 12
        [Y] Single Expert 14
        [Y] Single Edit 16
        [Y] Double Beginner 3
        [Y] Double Easy 5
        [Y] Double Medium 8
        [Y] Double Hard 10
        [Y] Double Expert 13
        [Y] Double Edit 17
+[ ] zz Lowercase pack (4 songs)
LINES

# Page Up goes back 21 rows, to Double Easy, which the list keeps on its second line; Up
# onto the first list line scrolls back by one.
send PPage
wait_for_line 1 "        [ ] Double Easy 5"
wait_for_line 20 "        [Y] Double Expert 13"
send Up
wait_for_line 0 "        [ ] Single Edit 17"
wait_for_line 1 "        [ ] Double Beginner 3"

# Home shows the list from the top; "a" selects everything, and again clears everything.
send Home a
wait_for_line 0 "+[Y] another Pack (2 songs)"
wait_for_line 2 "    -[Y] Afterglow Run"
wait_for_line 17 "    +[Y] Morning Glide (12 charts)"
send a
wait_for_line 0 "+[ ] another Pack (2 songs)"
wait_for_line 3 "        [ ] Single Beginner 2"
wait_for_line 18 "    -[ ] Starfall"

# F5 ends the browser; the default scale with nothing selected leaves every file alone.
send F5
wait_for_text "Continue"
! screen | grep -qF "$help_toggles" || fail "the browser is still showing after F5"
send Down Down Enter
wait_for_text "Press Space/Enter to continue"
send Enter
wait_for_text "Press Enter to continue"
send Enter
expect_exit_status 0
diff -r "$RERATE_SOURCE_DIR/examples/Songs" "$work/Songs" >/dev/null || fail "a song file changed"
echo ok
