# tests/driver_test.sh: the error screens, an empty library and a real library, end to end.
source "$(dirname "$0")/e2e_lib.sh"

# No Songs folder: the first error screen; any key quits with status 0.
start_tool
wait_for_line 0 "Songs not found. Place the binaries outside of your Songs folder."
wait_for_line 1 "(Press any key to quit)"
send x
expect_exit_status 0
tmux -L "$socket" kill-server

echo "Songs is a plain file" > "$work/Songs"
rm -f "$work/.exit-status"
start_tool
wait_for_line 0 "Songs not found. Place the binaries outside of your Songs folder."
send Space
expect_exit_status 0
tmux -L "$socket" kill-server
echo ok
