# tests/choosing_test.sh: rerate DIR from another folder, a rule chosen with m, the status
# line, the rewrite: the journal lands beside DIR's Songs, only the matched charts change.
source "$(dirname "$0")/e2e_lib.sh"

# One chart per "mode difficulty meter" given, in a song file's form.
notes() { printf '#NOTES:\n     dance-%s:\n     :\n     %s:\n     %s:\n     0,0,0,0,0:\n0000\n;\n' "$@"; }
lib=$work/lib
mkdir -p "$lib/Songs/Pack A/One" "$lib/Songs/Pack B/Two" "$work/want" "$work/start"
{ echo "#TITLE:One;" && notes single Hard 12 single Easy 5 double Hard 14; } >"$lib/Songs/Pack A/One/one.sm"
{ echo "#TITLE:Two;" && notes single Challenge 15; } >"$lib/Songs/Pack B/Two/two.sm"
{ echo "#TITLE:One;" && notes single Hard 8 single Easy 5 double Hard 14; } >"$work/want/one.sm"
{ echo "#TITLE:Two;" && notes single Challenge 10; } >"$work/want/two.sm"

tmux -L "$socket" -f /dev/null new-session -d -s "$session" -x 80 -y 24 -c "$work/start" \
  "$(printf '%q' "$RERATE_BIN") ../lib; echo \$? > $(printf '%q' "$work/.exit-status"); exec sleep 3600"
wait_for_line 21 "Selected: 0 charts in 0 songs, 0 files   ? help"

# The rule: Single, meters 10 to 19, over the whole library, select.
send m Right Up Up Up Up 1 0 - 1 9 Enter
wait_for_line 21 "Rule: 2 of 2 matching charts selected"
send Down
wait_for_line 21 "Selected: 2 charts in 2 songs, 2 files   ? help"

send F5
wait_for_text "Continue"
send Down Down Enter
wait_for_text "Press Space/Enter to continue"
send Enter  # the default divisor, 1.5
wait_for_text "Rewriting Songs/Pack A/One/one.sm..."
send Enter
expect_exit_status 0
cmp "$lib/Songs/Pack A/One/one.sm" "$work/want/one.sm" || fail "one.sm is not as the rule asked"
cmp "$lib/Songs/Pack B/Two/two.sm" "$work/want/two.sm" || fail "two.sm is not as the rule asked"
compgen -G "$lib/rerate-undo-*.txt" >/dev/null || fail "no journal beside DIR's Songs"
[ -z "$(ls -A "$work/start")" ] || fail "something was written where rerate was started"
"$RERATE_BIN" --undo "$lib" >"$work/undo.txt" || fail "rerate --undo DIR: $(cat "$work/undo.txt")"
grep -qx "Restored Songs/Pack A/One/one.sm" "$work/undo.txt" || fail "not undone: $(cat "$work/undo.txt")"
echo ok
