# tests/driver_test.sh: the whole run end to end: the error screens, an empty library and
# the demo library reaching the final prompt.
source "$(dirname "$0")/e2e_lib.sh"

restart() {
  stop_tool
  start_tool
}

# Leaves the browser with F5 and confirms the options and the single scale screen.
finish_with_default_scale() {
  send F5
  wait_for_text "Continue"
  send Down Down Enter
  wait_for_text "Use arrow keys set a rating scale. Press Space/Enter to continue."
  send Enter
}

# No Songs folder: the first error screen; any key quits with status 1, saying it on
# standard error.
start_tool
wait_for_line 0 "Songs not found. Place the binaries outside of your Songs folder."
wait_for_line 1 "(Press any key to quit)"
send x
wait_for_line 0 "rerate: Songs not found. Place the binaries outside of your Songs folder."
expect_exit_status 1

# Songs is a plain file: the same screen.
echo "Songs is a plain file" > "$work/Songs"
restart
wait_for_line 0 "Songs not found. Place the binaries outside of your Songs folder."
send Space
expect_exit_status 1

# Songs cannot be listed: the second error screen (only bites when not root).
rm "$work/Songs"
if [ "$(id -u)" -ne 0 ]; then
  mkdir -m 000 "$work/Songs"
  restart
  wait_for_line 0 "Failed to search Songs folder (but WHYYYYYY?!?!!)"
  wait_for_line 1 "(Press any key to quit)"
  send q
  wait_for_line 0 "rerate: Failed to search Songs folder (but WHYYYYYY?!?!!)"
  expect_exit_status 1
  rmdir "$work/Songs"
fi

# An empty library: an empty list with the help lines; the report holds only the prompt.
mkdir "$work/Songs"
restart
wait_for_line 22 "(Left/Right) Collapse/expand, (Space/Enter) Select, (F5) Done"
wait_for_line 23 "Toggle (A)ll, (S)ingle, (D)ouble"
[ -z "$(screen | head -n 21 | tr -d ' \n')" ] || fail "the list of an empty library is not empty"
finish_with_default_scale
wait_for_text "Press Enter to continue"
[ "$(screen | grep -c .)" -eq 1 ] || fail "the report of an empty library holds more than the prompt"
send Enter
expect_exit_status 0
rmdir "$work/Songs"

# A library with nothing selected: nothing is written.
copy_examples
restart
wait_for_line 0 "+[ ] another Pack (2 songs)"
finish_with_default_scale
wait_for_text "Press Enter to continue"
[ "$(screen | grep -c .)" -eq 1 ] || fail "a run with nothing selected reported something"
send Enter
expect_exit_status 0
diff -r "$RERATE_SOURCE_DIR/examples/Songs" "$work/Songs" >/dev/null ||
  fail "an unselected library changed"

# The keyboard input ends on the options screen, every chart selected: status 1, the
# message, and no file written.
stop_tool
printf 'a\033[15~' > "$work/keys"
start_tool "$work" bash -c 'exec "$0" < keys'
wait_for_text "rerate: keyboard input ended; no song file was changed"
expect_exit_status 1
diff -r "$RERATE_SOURCE_DIR/examples/Songs" "$work/Songs" >/dev/null ||
  fail "a file changed without input"
echo ok
