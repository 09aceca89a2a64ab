# tests/process_test.sh: the quit signal mid-rewrite, one run at a time, closed standard
# descriptors, Ctrl-Z and `fg`, and a killed run's temporary files removed by the next.
source "$(dirname "$0")/e2e_lib.sh"

song() { printf '#TITLE:%s;\n#NOTES:\ndance-single:\n:\nHard:\n12:\n0:\n0000\n;\n' "$1"; }
for name in A B C; do mkdir -p "$work/Songs/G/$name" && song $name >"$work/Songs/G/$name/song.sm"; done
# A's file goes on for 128 MB after a 0x1A byte (the end of its text), so that its new
# file is on its way long enough for a signal to come in the middle.
printf '\032' >>"$work/Songs/G/A/song.sm"
truncate -s 128M "$work/Songs/G/A/song.sm"
cp -R "$work/Songs" "$work/original"
a_is_new() { ! cmp -s "$work/original/G/A/song.sm" "$work/Songs/G/A/song.sm"; }
undo() { (cd "$work" && "$RERATE_BIN" --undo "$@"); }

# Starts a rewrite of every chart (process id in $work/pid); returns as A's is written.
start_rewrite() {
  stop_tool
  start_tool "$work" bash -c 'ulimit -c 0; echo $$ > pid; exec "$0"'
  wait_for_line 0 "+[ ] G (3 songs)"
  send a F5
  wait_for_line 3 "Continue"
  send Down Down Enter
  wait_for_text "< 1.5 >"
  send Enter
  for ((i = 0; i < 1000; i++)); do
    compgen -G "$work/Songs/G/A/.rerate-??????.tmp" >/dev/null && return
    sleep 0.01
  done
  fail "A's new file did not show"
}

# Ctrl-\ in the middle of the first batch: A is written, B and C are left, and the report
# says so and how to undo.
start_rewrite
kill -QUIT "$(cat "$work/pid")"
wait_for_text "Interrupted: 2 selected songs were left unchanged"
wait_for_text "To undo this rewrite: rerate --undo rerate-undo-"
expect_exit_status 131
a_is_new && cmp -s "$work/original/G/B/song.sm" "$work/Songs/G/B/song.sm" || fail "not A alone"

# In a shell, standard output closed (the screens go to the terminal): while the tree
# shows, a second run and an undo are refused; after Ctrl-Z and `fg` the arrow keys work.
stop_tool
tmux -L "$socket" -f /dev/null new-session -d -s "$session" -x 80 -y 24 -c "$work" \
  "bash --norc --noprofile"
send "$(printf '%q' "$RERATE_BIN") >&-" Enter
wait_for_line 0 "+[ ] G (3 songs)"
held="rerate: another rerate is working on this library (it holds rerate.lock); no song file \
was changed"
for command in "" --undo; do
  status=0
  (cd "$work" && "$RERATE_BIN" $command 2>err) || status=$?
  [ "$status:$(cat "$work/err")" = "1:$held" ] || fail "rerate $command: $status, $(cat "$work/err")"
done
send C-z
wait_for_text "Stopped"
send fg Enter
wait_for_line 0 "+[ ] G (3 songs)"
send Right Down Space
wait_for_line 2 "    +[Y] B (1 charts)"
send q y
wait_for_text "Stopped"  # the shell's screen again
send "echo \$? > .exit-status" Enter
expect_exit_status 0

# An undo with standard input and output closed; no report lands in a file of the tool's,
# and the journal stays readable.
undo <&- >&- || fail "the undo with closed descriptors failed"
undo >/dev/null || fail "the journal is unreadable after it"
! a_is_new || fail "A was not restored"
! grep -rlF -e "Restored Songs/" -e "Quit: no song" "$work" || fail "a file received a report"

# SIGKILL while A's new file is written leaves it behind; the next undo removes it, and
# the next run removes one in its scan. Only files of that very name form go: not another
# name, a folder or a link of that form (nor what the link leads to).
start_rewrite
kill -KILL "$(cat "$work/pid")"
compgen -G "$work/Songs/G/A/.rerate-??????.tmp" >/dev/null || fail "no file was left to remove"
echo kept >"$work/outside" && ln -s ../../../outside "$work/Songs/G/B/.rerate-LINKED.tmp"
(cd "$work/Songs/G/B" && mkdir .rerate-FOLDER.tmp && touch .rerate-12345.tmp \
  .rerate-1234567.tmp .rerate-12-456.tmp .rerate-123456.tmp~ .rerate-123456.txt)
decoys=$(ls -A "$work/Songs/G/B")
undo >/dev/null || fail "the undo after the kill failed"
compgen -G "$work/Songs/G/A/.rerate-*" >/dev/null && fail "the undo left the killed run's file"
touch "$work/Songs/G/B/.rerate-aZ09zA.tmp"
stop_tool
start_tool
wait_for_line 0 "+[ ] G (3 songs)"
[ "$(ls -A "$work/Songs/G/B")" = "$decoys" ] || fail "left: $(ls -A "$work/Songs/G/B")"
[ "$(cat "$work/outside")" = kept ] || fail "the file behind the link changed"

# As nobody, who may not write the folder: the read-only lock file still locks (the undo
# fails later, on the journal); without a lock file, the run says it cannot create one.
send q y
expect_exit_status 0
[ "$(id -u)" = 0 ] || { echo ok; exit 0; }
nobody=(setpriv --reuid=nobody --regid=nogroup --clear-groups "$RERATE_BIN" --undo)
(cd "$work" && "${nobody[@]}" 2>err) || ! grep -q lock "$work/err" || fail "$(cat "$work/err")"
rm "$work/rerate.lock"
(cd "$work" && "${nobody[@]}" 2>err) || grep -q "cannot create the lock" "$work/err" || fail "no message"
echo ok
