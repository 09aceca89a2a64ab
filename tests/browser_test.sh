# tests/browser_test.sh: the selection browser on a copy of the real corpus, end to end:
# the first frame, expanding, selecting with Space and "a", paging, and F5.
source "$(dirname "$0")/e2e_lib.sh"
require_corpus
copy_corpus

help_keys="(Left/Right) Collapse/expand, (Space/Enter) Select, (F5) Done"
help_toggles="Toggle (A)ll, (S)ingle, (D)ouble"

# Compares the whole screen, line by line (trailing blanks ignored), with the lines given
# on standard input, followed by empty lines down to line 20, the status line $status and
# the two help lines. A
# line "<any>" matches whatever the screen shows there (a title whose look depends on the
# terminal's locale).
expect_screen() {
  local -a want got
  mapfile -t want
  while ((${#want[@]} < 21)); do want+=(""); done
  want+=("$status" "$help_keys" "$help_toggles")
  mapfile -t got < <(screen | sed 's/ *$//')
  local y
  for ((y = 0; y < 24; y++)); do
    [ "${want[y]}" = "<any>" ] && continue
    [ "${got[y]:-}" = "${want[y]}" ] || fail "line $y reads '${got[y]:-}', expected '${want[y]}'"
  done
}

status="Selected: 0 charts in 0 songs, 0 files   ? help"
start_tool

# Every group collapsed, in name order (letter case ignored), with its song count.
wait_for_line 0 "+[ ] Community Mix (24 songs)"
wait_for_line 23 "$help_toggles"
expect_screen <<'LINES'
+[ ] Community Mix (24 songs)
+[ ] Dance! @ Anime Destiny 2022 (2 songs)
+[ ] Easy As Pie 2 (8 songs)
+[ ] HARDCORE NEZUMBxC (3 songs)
+[ ] High-speed Happiness Vol.3 (5 songs)
+[ ] misc songs (15 songs)
+[ ] Mixed Styles (11 songs)
LINES

# Open a group and its first song, and select the song's only chart.
send Down Right Right Space
wait_for_line 3 "        [Y] Single Expert 10"
status="Selected: 1 chart in 1 song, 1 file   ? help"
expect_screen <<'LINES'
+[ ] Community Mix (24 songs)
-[*] Dance! @ Anime Destiny 2022
    -[Y] [10] Koi no Signal Rin rin rin!
        [Y] Single Expert 10
    +[ ] [11] Soldier Game (1 charts)
+[ ] Easy As Pie 2 (8 songs)
+[ ] HARDCORE NEZUMBxC (3 songs)
+[ ] High-speed Happiness Vol.3 (5 songs)
+[ ] misc songs (15 songs)
+[ ] Mixed Styles (11 songs)
LINES

# Select a whole (collapsed) song with Enter, then open a second group and song from the end.
send Down Down Right Enter End Up Up Up Right Right
wait_for_line 15 "    -[ ] My Heart Bleeds"
status="Selected: 2 charts in 2 songs, 2 files   ? help"
expect_screen <<'LINES'
+[ ] Community Mix (24 songs)
-[*] Dance! @ Anime Destiny 2022
    -[Y] [10] Koi no Signal Rin rin rin!
        [Y] Single Expert 10
    +[ ] [11] Soldier Game (1 charts)
-[*] Easy As Pie 2
    +[Y] 1001 Arabian Nights (1 charts)
    +[ ] C0w Gurl (1 charts)
    +[ ] Calcutta (1 charts)
    +[ ] Hanky Panky (1 charts)
    +[ ] Mikrofonkat (1 charts)
    +[ ] Online (1 charts)
    +[ ] Paradise (1 charts)
    +[ ] The Sailor Song (1 charts)
-[ ] HARDCORE NEZUMBxC
    -[ ] My Heart Bleeds
        [ ] Single Beginner 3
        [ ] Single Edit 5
        [ ] Single Edit 7
        [ ] Single Easy 6
        [ ] Single Hard 11
LINES

# Page Down runs into the end of the list and stops on the last row, which stands on
# the next-to-last list line.
send NPage
wait_for_line 19 "+[ ] Mixed Styles (11 songs)"
expect_screen <<'LINES'
    +[ ] Mikrofonkat (1 charts)
    +[ ] Online (1 charts)
    +[ ] Paradise (1 charts)
    +[ ] The Sailor Song (1 charts)
-[ ] HARDCORE NEZUMBxC
    -[ ] My Heart Bleeds
        [ ] Single Beginner 3
        [ ] Single Edit 5
        [ ] Single Edit 7
        [ ] Single Easy 6
        [ ] Single Hard 11
        [ ] Single Medium 8
        [ ] Double Easy 6
        [ ] Double Medium 8
        [ ] Double Hard 11
    +[ ] Shadows (Freezer VS Tsuka-Miho Remix) (9 charts)
<any>
+[ ] High-speed Happiness Vol.3 (5 songs)
+[ ] misc songs (15 songs)
+[ ] Mixed Styles (11 songs)
LINES

# Page Up goes back 21 rows, to Calcutta, which the list keeps on its second line.
send PPage
wait_for_line 1 "    +[ ] Calcutta (1 charts)"
expect_screen <<'LINES'
    +[ ] C0w Gurl (1 charts)
    +[ ] Calcutta (1 charts)
    +[ ] Hanky Panky (1 charts)
    +[ ] Mikrofonkat (1 charts)
    +[ ] Online (1 charts)
    +[ ] Paradise (1 charts)
    +[ ] The Sailor Song (1 charts)
-[ ] HARDCORE NEZUMBxC
    -[ ] My Heart Bleeds
        [ ] Single Beginner 3
        [ ] Single Edit 5
        [ ] Single Edit 7
        [ ] Single Easy 6
        [ ] Single Hard 11
        [ ] Single Medium 8
        [ ] Double Easy 6
        [ ] Double Medium 8
        [ ] Double Hard 11
    +[ ] Shadows (Freezer VS Tsuka-Miho Remix) (9 charts)
<any>
+[ ] High-speed Happiness Vol.3 (5 songs)
LINES

# Up onto the first list line scrolls back by one.
send Up
wait_for_line 0 "    +[Y] 1001 Arabian Nights (1 charts)"
wait_for_line 1 "    +[ ] C0w Gurl (1 charts)"

# Home shows the list from the top; "a" selects everything, and again clears everything.
send Home a
wait_for_line 0 "+[Y] Community Mix (24 songs)"
status="Selected: 237 charts in 63 songs, 63 files   ? help"
expect_screen <<'LINES'
+[Y] Community Mix (24 songs)
-[Y] Dance! @ Anime Destiny 2022
    -[Y] [10] Koi no Signal Rin rin rin!
        [Y] Single Expert 10
    +[Y] [11] Soldier Game (1 charts)
-[Y] Easy As Pie 2
    +[Y] 1001 Arabian Nights (1 charts)
    +[Y] C0w Gurl (1 charts)
    +[Y] Calcutta (1 charts)
    +[Y] Hanky Panky (1 charts)
    +[Y] Mikrofonkat (1 charts)
    +[Y] Online (1 charts)
    +[Y] Paradise (1 charts)
    +[Y] The Sailor Song (1 charts)
-[Y] HARDCORE NEZUMBxC
    -[Y] My Heart Bleeds
        [Y] Single Beginner 3
        [Y] Single Edit 5
        [Y] Single Edit 7
        [Y] Single Easy 6
        [Y] Single Hard 11
LINES
send a
wait_for_line 0 "+[ ] Community Mix (24 songs)"
wait_for_line 3 "        [ ] Single Expert 10"
wait_for_line 6 "    +[ ] 1001 Arabian Nights (1 charts)"
wait_for_line 16 "        [ ] Single Beginner 3"

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
diff -r "$RERATE_CORPUS_DIR/Songs" "$work/Songs" >/dev/null || fail "a song file changed"
echo ok
