# tests/support/rewrite_e2e.sh: helpers for the end-to-end rewrite tests, sourced after
# tests/e2e_lib.sh: the untouched copy of the library, the report as printed, and the
# check of every song file against its original.

rewrite_check="$(dirname "${BASH_SOURCE[0]}")/rewrite_check.py"

require_python() {
  command -v python3 >/dev/null || skip "python3 is needed to compare the rewritten files"
}

# Keeps a copy of the library as it was before the run, outside Songs.
keep_original() {
  cp -R "$work/Songs" "$work/original"
}

# Writes everything the terminal shows and has scrolled away, wrapped lines joined, to
# $work/report.txt: after the full screen has ended, that is the report.
save_report() {
  tmux -L "$socket" capture-pane -p -J -S - -t "$session" | sed 's/ *$//' >"$work/report.txt"
}

expect_report_line() {
  grep -qxF -- "$1" "$work/report.txt" || {
    cat "$work/report.txt" >&2
    fail "the report has no line: $1"
  }
}

# Checks every song file against its original with the report and the scale steps given
# (twelve digits: Single Beginner .. Edit, then Double), and the modes that were selected.
check_rewritten_library() {
  python3 "$rewrite_check" "$work/original" "$work/Songs" "$work/report.txt" "$@" ||
    fail "the rewritten library does not match the report"
}

# From the browser's first frame: F5, the options chosen by the keys given, Continue.
finish_browser_with_options() {
  send F5
  wait_for_line 3 "Continue"
  send "$@"
}

# Waits for the scale screen of `mode` `difficulty` (lines 0 and 1) showing step 5, moves
# it to `step` and confirms it.
set_scale_screen() {
  local mode=$1 difficulty=$2 step=$3
  wait_for_line 0 "Mode: $mode"
  wait_for_line 1 "Difficulty: $difficulty"
  wait_for_line 3 "< 1.5 >"
  local s
  for ((s = 5; s > step; s--)); do send Left; done
  for ((s = 5; s < step; s++)); do send Right; done
  local left=" " right=" "
  ((step > 1)) && left="<"
  ((step < 9)) && right=">"
  wait_for_line 3 "$(printf '%s 1.%d %s' "$left" "$step" "$right" | sed 's/ *$//')"
  send Enter
}
