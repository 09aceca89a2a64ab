# tests/screens_test.sh: the browser in a terminal resized while browsing, on a copy of
# the demo library, and leaving it with q without changing a file.
source "$(dirname "$0")/e2e_lib.sh"
copy_examples

help_keys="(Left/Right) Collapse/expand, (Space/Enter) Select, (F5) Done"
help_toggles="Toggle (A)ll, (S)ingle, (D)ouble"

# Waits until line $1 shows the highlight (black on white) starting with text $2.
wait_for_highlight() {
  local y=$1 text=$2
  local deadline=$((SECONDS + E2E_TIMEOUT))
  while ((SECONDS < deadline)); do
    tmux -L "$socket" capture-pane -e -p -t "$session" | sed -n "$((y + 1))p" |
      grep -qF -- $'\e[30m\e[47m'"$text" && return 0
    sleep 0.05
  done
  fail "timed out waiting for the highlight on line $y: $text"
}

resize() {
  tmux -L "$socket" resize-window -t "$session" -x "$1" -y "$2"
}

start_tool
wait_for_line 0 "+[ ] another Pack (2 songs)"
# The first group and its first song open: 17 rows; the cursor on the last one.
send Right Right End
wait_for_highlight 16 "zz Lowercase pack (4 songs)"

# 12 lines: 9 list lines, scrolled so that the cursor row stands on the next-to-last one;
# the help lines cut at 50 columns on the new last two lines.
resize 50 12
wait_for_line 10 "${help_keys:0:50}"
wait_for_line 11 "$help_toggles"
wait_for_highlight 7 "zz Lowercase pack (4 songs)"
wait_for_line 0 "        [ ] Double Easy 4"

# 30 lines: the offset stays, the help lines move down, nothing is lost.
resize 100 30
wait_for_line 28 "$help_keys"
wait_for_line 29 "$help_toggles"
wait_for_highlight 7 "zz Lowercase pack (4 songs)"
send Home
wait_for_line 0 "-[ ] another Pack"
wait_for_line 16 "+[ ] zz Lowercase pack (4 songs)"

# q asks first; n keeps browsing; q and y end the program with every file as it was.
send q
wait_for_line 27 "Quit without changing any file? (y/n)"
send n
wait_for_line 27 "Selected: 0 charts in 0 songs, 0 files   ? help"
send q y
wait_for_text "Quit: no song file was changed."
expect_exit_status 0
diff -r "$RERATE_SOURCE_DIR/examples/Songs" "$work/Songs" >/dev/null || fail "a song file changed"
echo ok
