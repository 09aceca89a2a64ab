# tests/e2e_lib.sh: helpers for end-to-end tests of the real binary in a real terminal.
# Sourced by tests/*_test.sh. Each test gets a fresh work folder and its own tmux server
# (private socket), a terminal of 80 x 24, and waits for screens by polling, never by
# sleeping for a guessed time.
set -euo pipefail

: "${RERATE_BIN:?RERATE_BIN must name the rerate binary}"
: "${RERATE_SOURCE_DIR:?RERATE_SOURCE_DIR must name the source folder}"
: "${RERATE_CORPUS_DIR:=}"
: "${RERATE_CORPUS_SSC_DIR:=}"
: "${E2E_TIMEOUT:=15}"

work=$(mktemp -d "${TMPDIR:-/tmp}/rerate-e2e-XXXXXX")
chmod 755 "$work"
socket_base="rerate-e2e-$$-$RANDOM"
socket=$socket_base-0
session=rerate

cleanup() {
  tmux -L "$socket" kill-server 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  if tmux -L "$socket" has-session -t "$session" 2>/dev/null; then
    echo "--- screen ---" >&2
    tmux -L "$socket" capture-pane -p -t "$session" >&2 || true
  fi
  exit 1
}

# Ends the test as skipped (ctest counts exit status 77 as a skip), giving the reason in
# the file ctest prints after its summary.
skip() {
  echo "SKIP: $*"
  [ -z "${RERATE_SKIP_LOG:-}" ] || echo "$(basename "$0" .sh): $*" >>"$RERATE_SKIP_LOG"
  exit 77
}

# Ends a test whose checks on the project's own files passed when the real song files of
# its extra pass (each folder given, holding Songs) are absent: the test passes, and the
# pass left out is said on its output and in the file ctest prints after its summary.
end_without_corpus() {
  local folder
  for folder in "$@"; do
    [ -n "$folder" ] && [ -d "$folder/Songs" ] && continue
    echo "NOTE: ${folder:-the real song files} absent: the extra pass on them is left out"
    [ -z "${RERATE_SKIP_LOG:-}" ] ||
      echo "$(basename "$0" .sh): extra pass on real song files left out (absent)" >>"$RERATE_SKIP_LOG"
    echo ok
    exit 0
  done
}

# Copies the demo library to $work/Songs (the bundled files are never touched).
copy_examples() {
  cp -R "$RERATE_SOURCE_DIR/examples/Songs" "$work/Songs"
  chmod -R u+w "$work/Songs"
}

# Starts the tool in $work (or in the folder given as $1), with any command prefix
# given after it (e.g. setpriv ...). Its exit status lands in $work/.exit-status.
start_tool() {
  local dir=${1:-$work}
  shift || true
  local command=""
  local word
  for word in "$@" "$RERATE_BIN"; do command+=" $(printf '%q' "$word")"; done
  tmux -L "$socket" -f /dev/null new-session -d -s "$session" -x 80 -y 24 -c "$dir" \
    "$command; echo \$? > $(printf '%q' "$work/.exit-status"); exec sleep 3600"
}

# Ends the running tool and its tmux server. The next start_tool uses a new socket: a
# server that is still exiting would otherwise take the new session's connection and
# fail it ("server exited unexpectedly").
stop_tool() {
  tmux -L "$socket" kill-server 2>/dev/null || true
  socket=$socket_base-$((${socket##*-} + 1))
  rm -f "$work/.exit-status"
}

screen() {
  tmux -L "$socket" capture-pane -p -t "$session"
}

# Waits until the screen shows the text (a fixed string).
wait_for_text() {
  local text=$1
  local deadline=$((SECONDS + E2E_TIMEOUT))
  while ((SECONDS < deadline)); do
    if screen | grep -qF -- "$text"; then return 0; fi
    sleep 0.05
  done
  fail "timed out waiting for: $text"
}

# Waits until line $1 (from 0) of the screen is exactly $2 (trailing blanks ignored).
wait_for_line() {
  local y=$1 text=$2
  local deadline=$((SECONDS + E2E_TIMEOUT))
  while ((SECONDS < deadline)); do
    if [ "$(screen | sed -n "$((y + 1))p" | sed 's/ *$//')" = "$text" ]; then return 0; fi
    sleep 0.05
  done
  fail "timed out waiting for line $y to read: $text"
}

# Sends keys by tmux name (Up Down Left Right Home End PPage NPage F5 Enter Space a ...).
send() {
  tmux -L "$socket" send-keys -t "$session" "$@"
}

# Waits for the tool to exit and checks its exit status.
expect_exit_status() {
  local want=$1
  local deadline=$((SECONDS + E2E_TIMEOUT))
  while ((SECONDS < deadline)); do
    if [ -s "$work/.exit-status" ]; then
      local got
      got=$(cat "$work/.exit-status")
      [ "$got" = "$want" ] || fail "exit status $got, expected $want"
      return 0
    fi
    sleep 0.05
  done
  fail "the tool did not exit"
}
