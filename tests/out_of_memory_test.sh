# tests/out_of_memory_test.sh: when memory runs out, the terminal is given back, the
# message says so, the exit status is 1 and no song file changes or gains a temporary
# file beside it, whether memory runs out in the scan, in the rewrite or in the undo.
source "$(dirname "$0")/e2e_lib.sh"
command -v prlimit >/dev/null || skip "prlimit is needed to limit the tool's memory"
# One malloc arena: the reader threads' own arenas would reserve address space as their
# number (and the cores) allow, which would make the margins below depend on the machine.
limit=(env MALLOC_ARENA_MAX=1 prlimit --as=$((500 << 20)))

chart() {
  printf '#TITLE:%s;\n#NOTES:\n     dance-single:\n     :\n     Hard:\n     12:\n     0,0,0,0,0:\n0000\n;\n' "$1"
}

mkdir -p "$work/Songs/G/A" "$work/Songs/G/Z"
chart Alpha > "$work/Songs/G/A/a.sm"
# The text ends at a 0x1A byte and what follows is kept as it is: a 300 MB file that is
# a song with one chart, whose bytes fit in the 500 MB limit once but not twice.
{ chart Zulu; printf '\032'; } > "$work/Songs/G/Z/z.sm"
truncate -s 300M "$work/Songs/G/Z/z.sm"
cp -R "$work/Songs" "$work/original"

check_nothing_changed() {
  cmp "$work/original/G/A/a.sm" "$work/Songs/G/A/a.sm" || fail "a.sm changed"
  cmp "$work/original/G/Z/z.sm" "$work/Songs/G/Z/z.sm" || fail "z.sm changed"
  [ "$(find "$work/Songs" -type f | wc -l)" = 2 ] || fail "a file was left beside the songs"
}

# In the rewrite: the new content of z.sm does not fit beside what was read.
start_tool "$work" "${limit[@]}"
wait_for_line 0 "+[ ] G (2 songs)"
send a F5
wait_for_line 3 "Continue"
send Down Down Enter
wait_for_text "Use arrow keys set a rating scale."
send Enter
wait_for_text "rerate: out of memory; song files not reported above as rewritten are unchanged"
expect_exit_status 1
screen | grep -q "^Rewriting" && fail "a song was reported as rewritten"
check_nothing_changed

# In the undo: a rewrite without the limit, then its undo under it, which cannot hold the
# restored z.sm beside what it read. The files stay as the rewrite left them, with no
# temporary file; the undo without the limit then restores both.
stop_tool
"$RERATE_BIN" --divisor 1.5 "$work" >/dev/null || fail "the rewrite without a limit failed"
cp "$work/Songs/G/Z/z.sm" "$work/rewritten-z.sm"
(cd "$work" && "${limit[@]}" "$RERATE_BIN" --undo >/dev/null 2>undo-err.txt) && fail "the undo did not fail"
grep -qx "rerate: out of memory; song files not reported above as restored are unchanged" \
  "$work/undo-err.txt" || fail "the undo's message: $(cat "$work/undo-err.txt")"
cmp -s "$work/rewritten-z.sm" "$work/Songs/G/Z/z.sm" || fail "z.sm changed in the failed undo"
[ -z "$(find "$work/Songs" -name '.rerate-*')" ] || fail "the failed undo left a temporary file"
(cd "$work" && "$RERATE_BIN" --undo >/dev/null) || fail "the undo without a limit failed"
rm "$work/rewritten-z.sm" "$work/undo-err.txt" "$work"/rerate-undo-*.txt "$work/rerate.lock"
check_nothing_changed

# In the scan: a file larger than the limit cannot be read at all.
truncate -s 600M "$work/Songs/G/Z/z.sm"
truncate -s 600M "$work/original/G/Z/z.sm"
start_tool "$work" "${limit[@]}"
wait_for_text "rerate: out of memory; no song file was changed"
expect_exit_status 1
check_nothing_changed
echo ok
