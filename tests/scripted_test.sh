# tests/scripted_test.sh: runs without screens. Each kind of selection alone and combined
# rescales exactly the charts that --list with the same options names, on a generated
# library and on a copy of the corpus when it is there; --list of a known library;
# divisors per mode and difficulty; the same choice made with the keys, preselected by
# options and given as options writes the same bytes; the journal and --undo; the lock;
# bad command lines change nothing.
source "$(dirname "$0")/e2e_lib.sh"
cd "$work"

# One chart per "mode difficulty meter" given, in a song file's form.
notes() { printf '#NOTES:\n     dance-%s:\n     :\n     %s:\n     %s:\n     0,0,0,0,0:\n0000\n;\n' "$@"; }
mkdir -p "gen/Songs/Pack A/One" "gen/Songs/Pack A/Two" "gen/Songs/Pack B/Three" gen/Songs/Bonus/four
# Every meter is different, so that the meters name the charts.
{ echo "#TITLE:Alpha;" && notes single Easy 5 single Hard 12 single Edit 10 double Hard 14; } >"gen/Songs/Pack A/One/one.sm"
{ echo "#TITLE:Beta;" && notes single Challenge 15 double Medium 8; } >"gen/Songs/Pack A/Two/two.sm"
{ echo "#TITLE:Alpha Remix;" && notes single Beginner 2 single Hard 11 double Challenge 16; } >"gen/Songs/Pack B/Three/three.sm"
{ echo $'#TITLE:Delta;' && notes double Easy 4 single Medium 7; } >gen/Songs/Bonus/four/four.sm

"$RERATE_BIN" --list gen >list.txt 2>err.txt || fail "--list: $(cat err.txt)"
diff - list.txt <<'EOF' || fail "--list of the generated library"
Bonus	four	four.sm	Double	Easy	4	no
Bonus	four	four.sm	Single	Medium	7	no
Pack A	One	one.sm	Single	Easy	5	no
Pack A	One	one.sm	Single	Hard	12	no
Pack A	One	one.sm	Single	Edit	10	no
Pack A	One	one.sm	Double	Hard	14	no
Pack A	Two	two.sm	Single	Expert	15	no
Pack A	Two	two.sm	Double	Medium	8	no
Pack B	Three	three.sm	Single	Beginner	2	no
Pack B	Three	three.sm	Single	Hard	11	no
Pack B	Three	three.sm	Double	Expert	16	no
EOF
[ ! -s err.txt ] && [ ! -e gen/rerate.lock ] || fail "--list wrote something: $(ls gen)"

# Rescales a fresh copy of $1 at 1.5 with the selection in the words after it, and checks
# that exactly the charts `--list` names with that selection changed, as 1.5 converts
# them (meter / 1.5 rounded half up is (4 * meter + 3) / 6 in whole numbers).
check_selection() {
  local library=$1
  shift
  rm -rf run && cp -R "$library" run
  "$RERATE_BIN" --list "$@" run | cut -f1-6 >selected.txt
  "$RERATE_BIN" --list run | cut -f1-6 >before.txt
  "$RERATE_BIN" --divisor 1.5 "$@" run >report.txt 2>err.txt || fail "$*: $(cat err.txt)"
  [ ! -s err.txt ] || fail "$*: standard error is not a terminal, yet: $(cat err.txt)"
  "$RERATE_BIN" --list run | cut -f1-6 >after.txt
  awk -F'\t' -v OFS='\t' 'FILENAME == ARGV[1] { chosen[$0] = 1; next }
    $0 in chosen { $6 = int((4 * $6 + 3) / 6) } { print }' selected.txt before.txt |
    diff - after.txt >/dev/null || fail "$*: not exactly the listed charts changed"
}

while IFS='|' read -r words want; do
  eval "set -- $words"
  check_selection gen "$@"
  got=$(cut -f6 selected.txt | sort -n | xargs)
  [ "$got" = "$want" ] || fail "'$words' selects meters $got, expected $want"
done <<'EOF'
|2 4 5 7 8 10 11 12 14 15 16
--group 'Pack*'|2 5 8 10 11 12 14 15 16
--group Bonus --group='Pack B'|2 4 7 11 16
--song 'Alpha*'|2 5 10 11 12 14 16
--song four|4 7
--mode DOUBLE|4 8 14 16
--difficulty hard,challenge|11 12 14 15 16
--difficulty beginner --difficulty Edit|2 10
--meter 8-12|8 10 11 12
--meter 5 --meter=14-15|5 14 15
--group 'Pack*' --mode single --meter 10-20|10 11 12 15
--song 'Alpha*' --difficulty hard --mode double|14
--song nothing|
EOF
grep -qx "No chart matches the selection: no song file was changed." report.txt ||
  fail "an empty selection: $(cat report.txt)"

# A divisor per mode and difficulty, the most specific winning; Double charts other than
# Hard have none and stay. Then the journal undoes it byte for byte.
rm -rf run && cp -R gen run
"$RERATE_BIN" run --divisor single=1.2 --divisor double:hard=1.9 --divisor hard=1.5 \
  --divisor=expert=1.1 >report.txt || fail "divisors: $(cat report.txt)"
[ "$("$RERATE_BIN" --list run | cut -f6 | xargs)" = "4 6 4 8 8 7 14 8 2 7 15" ] ||
  fail "divisors per kind: $("$RERATE_BIN" --list run | cut -f4-6)"
journal=$(cd run && ls rerate-undo-*.txt)
[ "$(tail -n 1 report.txt)" = "To undo this rewrite: rerate --undo run/$journal" ] ||
  fail "the report does not name the journal: $(tail -n 1 report.txt)"
"$RERATE_BIN" --undo run >undo.txt || fail "--undo: $(cat undo.txt)"
diff -r gen/Songs run/Songs || fail "--undo did not restore every file"

# Another run holds the lock: refused, nothing changed.
status=0
flock -n run/rerate.lock "$RERATE_BIN" --divisor 1.5 run >out.txt 2>err.txt || status=$?
[ "$status" = 1 ] && [ ! -s out.txt ] && diff -r gen/Songs run/Songs ||
  fail "a locked library: status $status, $(cat err.txt)"

# Bad command lines: the option named, the usage, status 2, nothing written.
rm -rf run && cp -R gen run
while IFS='|' read -r words message; do
  eval "set -- $words"
  status=0
  "$RERATE_BIN" run "$@" >out.txt 2>err.txt || status=$?
  [ "$status" = 2 ] && [ ! -s out.txt ] && grep -q "^Usage: rerate" err.txt &&
    [ "$(head -n 1 err.txt)" = "rerate: $message" ] || fail "'$words': $status: $(cat err.txt)"
done <<'EOF'
--divisor 1.5 --colour|unknown option '--colour'
--divisor 2.0|bad value for --divisor: '2.0' (X, MODE=X, DIFFICULTY=X or MODE:DIFFICULTY=X, X one of 1.1, 1.2, ... 1.9)
--divisor 1.55|bad value for --divisor: '1.55' (X, MODE=X, DIFFICULTY=X or MODE:DIFFICULTY=X, X one of 1.1, 1.2, ... 1.9)
--divisor triple=1.5|bad value for --divisor: 'triple=1.5' (X, MODE=X, DIFFICULTY=X or MODE:DIFFICULTY=X, X one of 1.1, 1.2, ... 1.9)
--divisor hard=1.5 --divisor Hard=1.6|--divisor 'Hard=1.6': those charts have a divisor already
--divisor 1.5 --meter 9-3|bad value for --meter: '9-3' (A-B with 1 <= A <= B, or one meter)
--divisor 1.5 --difficulty hard,expart|bad value for --difficulty: 'hard,expart' (names from beginner, easy, medium, hard, expert (or challenge) and edit, separated by commas)
--divisor 1.5 --mode|option '--mode' needs a value
--list --divisor 1.5|--list does not go with --divisor (a listing writes nothing)
--undo --group x|--undo does not go with --divisor, --list, --dry-run or a selection
--group ''|bad value for --group: '' (a pattern)
EOF
[ "$(ls run)" = Songs ] && diff -r gen/Songs run/Songs || fail "a bad command line wrote something"
# A dry run changes nothing and takes no journal; its report is the rewrite's with "Would
# rewrite" (but for the last line). After the rewrite its charts are rescaled before: listed
# so, and left out of the next rescale.
rm -rf dry && cp -R gen dry
"$RERATE_BIN" --divisor 1.5 --dry-run dry >dry.txt 2>&1 || fail "--dry-run: status $?"
diff -r gen/Songs dry/Songs && [ "$(ls dry)" = Songs ] || fail "--dry-run wrote"
"$RERATE_BIN" --divisor 1.5 dry >real.txt || fail "the rewrite after the dry run: status $?"
diff <(sed -e 's/^Would rewrite /Rewriting /' -e '$d' dry.txt) <(sed '$d' real.txt) ||
  fail "the dry run's report is not the rewrite's"
[ "$("$RERATE_BIN" --list dry | cut -f7 | sort -u)" = yes ] || fail "rescaled charts not listed so"
"$RERATE_BIN" --divisor 1.5 dry | grep -qx "No chart matches the selection: no song file was changed." ||
  fail "a second rescale took the charts rescaled before"

# A listing or a report that cannot be written: status 1, said on standard error.
status=0
"$RERATE_BIN" --list gen >/dev/full 2>err.txt || status=$?
[ "$status" = 1 ] && grep -q "could not be written" err.txt || fail "--list >/dev/full: $status"
# On a terminal, standard error counts the files written and clears its line at the end.
if command -v script >/dev/null; then
  script -qec "$(printf '%q ' "$RERATE_BIN" --divisor 1.5 --group 'Pack A' run) >out.txt" ts >/dev/null ||
    fail "a run with standard error on a terminal: $(cat -v ts)"
  grep -qF $'Writing song files: 2 of 2\r\e[K' ts && grep -qx "Rewriting Songs/Pack A/Two/two.sm..." out.txt ||
    fail "progress on a terminal: $(cat -v ts)"
  status=0
  script -qec "$(printf '%q ' "$RERATE_BIN" --divisor 1.5 run) >/dev/full" ts >/dev/null || status=$?
  [ "$status" = 1 ] && grep -q "the report could not be written" ts || fail "report to /dev/full: $(cat -v ts)"
fi

# The same choice made three ways writes the same bytes: Single charts selected with the
# keys, preselected by --mode single, and given as options without screens.
screens() {
  rm -rf "$1" && cp -R gen "$1"
  stop_tool
  tmux -L "$socket" -f /dev/null new-session -d -s "$session" -x 80 -y 24 -c "$work/$1" \
    "$(printf '%q ' "$RERATE_BIN" "${@:2}"); echo \$? > $(printf '%q' "$work/.exit-status"); exec sleep 3600"
  wait_for_text "? help"
}
finish_screens() {
  wait_for_text "Selected: 7 charts in 4 songs, 4 files"
  send F5 && wait_for_text "Continue" && send Down Down Enter
  wait_for_text "Press Space/Enter to continue" && send Enter  # the default divisor, 1.5
  wait_for_text "Press Enter to continue" && send Enter
  expect_exit_status 0
}
screens keys && send s && finish_screens
screens preselected --mode single && finish_screens
rm -rf flags && cp -R gen flags
"$RERATE_BIN" --divisor 1.5 --mode single flags >/dev/null || fail "--divisor 1.5 --mode single"
diff -r keys/Songs preselected/Songs && diff -r keys/Songs flags/Songs && ! diff -r -q gen keys >/dev/null ||
  fail "the keys, the preselection and the options did not write the same bytes"

# The corpus, when it is there: each kind of selection on real files, .sm and .ssc.
end_without_corpus "$RERATE_CORPUS_DIR" "$RERATE_CORPUS_SSC_DIR"
mkdir -p corpus/Songs
cp -R "$RERATE_CORPUS_DIR/Songs/." "$RERATE_CORPUS_SSC_DIR/Songs/." corpus/Songs/
chmod -R u+w corpus
for words in "" "--group 'Easy*' --group 'Club*'" "--song 'A*'" "--mode double" \
  "--difficulty hard,expert" "--meter 10-13" "--group '*' --mode single --difficulty edit,easy --meter 1-9"; do
  eval "set -- $words"
  check_selection corpus "$@"
done
echo ok
