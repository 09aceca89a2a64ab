# tests/choosing_test.sh: rerate DIR started from another folder, charts chosen with the
# rule form (m) and counted on the status line, then rewritten: the journal lands beside
# DIR's Songs and exactly the charts the rule matched change.
source "$(dirname "$0")/e2e_lib.sh"

# Writes song file $1 titled $2 with one chart per further argument "mode Difficulty meter".
song() {
  local path=$1 title=$2 mode difficulty meter chart
  shift 2
  mkdir -p "$(dirname "$path")"
  {
    printf '#TITLE:%s;\n' "$title"
    for chart in "$@"; do
      read -r mode difficulty meter <<<"$chart"
      printf '#NOTES:\n     dance-%s:\n     :\n     %s:\n     %s:\n     0,0,0,0,0:\n0000\n;\n' \
        "$mode" "$difficulty" "$meter"
    done
  } >"$path"
}

lib=$work/lib
song "$lib/Songs/Pack A/One/one.sm" One "single Hard 12" "single Easy 5" "double Hard 14"
song "$lib/Songs/Pack B/Two/two.sm" Two "single Challenge 15"
song "$lib/Songs/Pack B/Empty/empty.sm" Empty
song "$work/want/one.sm" One "single Hard 8" "single Easy 5" "double Hard 14"
song "$work/want/two.sm" Two "single Challenge 10"
mkdir "$work/start"

tmux -L "$socket" -f /dev/null new-session -d -s "$session" -x 80 -y 24 -c "$work/start" \
  "$(printf '%q' "$RERATE_BIN") ../lib; echo \$? > $(printf '%q' "$work/.exit-status"); exec sleep 3600"
wait_for_line 21 "Selected: 0 charts in 0 songs, 0 files   ? help"
wait_for_line 1 "+[ ] Pack B (2 songs)"

# The rule: Single, meters 10 to 20, over the whole library, select.
send m
wait_for_text "Select or clear charts by rule"
send Right Up Up Up Up 1 0 - 2 0 Enter
wait_for_line 21 "Rule: 2 of 2 matching charts selected"
send Down Right
wait_for_line 21 "Selected: 2 charts in 2 songs, 2 files   ? help"
wait_for_line 2 "    +[ ] Empty (0 charts)"
wait_for_line 3 "    +[Y] Two (1 charts)"

# Divide by the default 1.5.
send F5
wait_for_text "Continue"
send Down Down Enter
wait_for_text "Press Space/Enter to continue"
send Enter
wait_for_text "Press Enter to continue"
screen | grep -qF "Rewriting Songs/Pack A/One/one.sm..." || fail "the report does not name Songs/..."
send Enter
expect_exit_status 0
cmp "$lib/Songs/Pack A/One/one.sm" "$work/want/one.sm" || fail "one.sm is not as the rule asked"
cmp "$lib/Songs/Pack B/Two/two.sm" "$work/want/two.sm" || fail "two.sm is not as the rule asked"
compgen -G "$lib/rerate-undo-*.txt" >/dev/null || fail "no journal beside DIR's Songs"
[ -z "$(ls -A "$work/start")" ] || fail "something was written where rerate was started"
echo ok
