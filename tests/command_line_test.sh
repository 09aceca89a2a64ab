# tests/command_line_test.sh: the options; the starts that never reach the full screen
# (no terminal at all, a terminal that cannot move the cursor); a termination signal
# during the screens, which gives the terminal back and shows in the exit status.
source "$(dirname "$0")/e2e_lib.sh"
cd "$work"
mkdir Songs

# Runs the tool with the arguments given; its output lands in out.txt and err.txt.
run() {
  status=0
  "$RERATE_BIN" "$@" >out.txt 2>err.txt </dev/null || status=$?
}

run --help
[ "$status" = 0 ] && [ ! -s err.txt ] || fail "--help: status $status, errors: $(cat err.txt)"
grep -q "^Usage: rerate \[--dry-run\] \[SELECTION\] \[DIR\]" out.txt && grep -q "^Keys:" out.txt &&
  grep -q -- "--version" out.txt || fail "--help does not print the usage"
run -V
[ "$status" = 0 ] && grep -qx "rerate [0-9]*\.[0-9]*\.[0-9]*" out.txt || fail "-V: $(cat out.txt)"
for wrong in --colour "--undo a b c" --version=2 "--dry-run --undo"; do
  # shellcheck disable=SC2086
  run $wrong
  [ "$status" = 2 ] && [ ! -s out.txt ] && grep -q "^Usage: rerate" err.txt ||
    fail "'$wrong': status $status, expected the usage on stderr and 2"
done
# Names and arguments echoed on standard error have their control characters escaped.
run --undo $'x\e]2;t\a'
[ "$status" = 1 ] && [ "$(cat err.txt)" = 'rerate: the journal x\x1b]2;t\x07 cannot be read' ] ||
  fail "journal name: $(cat -v err.txt)"
run $'--x\e[2J'
[ "$(head -n 1 err.txt)" = "rerate: unknown option '--x\\x1b[2J'" ] || fail "argument: $(cat -v err.txt)"
# A library folder that is not one: said on stderr, status 2, nothing written.
touch file
for wrong in missing file; do
  run "$wrong"
  [ "$status" = 2 ] && [ ! -s out.txt ] && grep -q "cannot use '$wrong' as the library folder" err.txt ||
    fail "DIR '$wrong': status $status: $(cat err.txt)"
done

# No terminal: stdout is a file and the process has no controlling terminal.
command -v setsid >/dev/null || skip "setsid is needed to run without a terminal"
status=0
setsid -w "$RERATE_BIN" >out.txt 2>err.txt </dev/null || status=$?
[ "$status" = 1 ] && grep -q "no terminal" err.txt ||
  fail "no terminal: status $status: $(cat err.txt)"
[ ! -s out.txt ] && [ -z "$(ls rerate-undo-* 2>/dev/null)" ] ||
  fail "no terminal: something was written"

# A terminal that cannot address the cursor is refused before anything is drawn.
tmux -L "$socket" -f /dev/null new-session -d -s "$session" -x 80 -y 24 -c "$work" \
  "TERM=dumb $(printf '%q' "$RERATE_BIN") 2>err.txt; echo \$? > .exit-status; exec sleep 3600"
expect_exit_status 1
grep -q "'dumb' cannot move the cursor" err.txt || fail "TERM=dumb: $(cat err.txt)"

stop_tool
tmux -L "$socket" -f /dev/null new-session -d -s "$session" -x 80 -y 24 -c "$work" \
  "$(printf '%q' "$RERATE_BIN"); echo \$? > .exit-status; stty -a > stty.txt; exec sleep 3600"
wait_for_text "Toggle (A)ll, (S)ingle, (D)ouble"
kill -TERM "$(pgrep -P "$(tmux -L "$socket" display -p -t "$session" '#{pane_pid}')")"
expect_exit_status 143
grep -qE "(^| )icanon( |$)" stty.txt && grep -qE "(^| )echo( |$)" stty.txt ||
  fail "the terminal was not given back"
echo ok
