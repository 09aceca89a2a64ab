# tests/dry_run_test.sh: `rerate --dry-run DIR` on a copy of the examples library, then of
# the corpus when it is there: every chart selected and divided by 1.5, the tree byte for
# byte as before, no journal, and the report the same as the real rewrite's that follows
# ("Would rewrite" for "Rewriting"); that rewrite's undo line names a journal that works
# from the folder rerate was started in.
source "$(dirname "$0")/e2e_lib.sh"
source "$(dirname "$0")/support/rewrite_e2e.sh"

# Runs rerate with the arguments given in $work, its report in $work/out.txt, and chooses
# every chart at 1.5 on its screens.
run_everything() {
  tmux -L "$socket" -f /dev/null new-session -d -s "$session" -x 80 -y 24 -c "$work" \
    "$(printf '%q ' "$RERATE_BIN" "$@") > out.txt; echo \$? > .exit-status; exec sleep 3600"
  wait_for_text "? help"
  send a
  finish_browser_with_options Down Down Enter
  wait_for_line 1 "< 1.5 >"
  send Enter
}

check_library() {
  rm -rf "$work/lib" "$work/original"
  mkdir "$work/lib"
  cp -R "$1" "$work/lib/Songs"
  chmod -R u+w "$work/lib/Songs"
  cp -R "$work/lib/Songs" "$work/original"

  run_everything --dry-run lib
  expect_exit_status 0
  stop_tool
  diff -r "$work/original" "$work/lib/Songs" || fail "the dry run changed $1"
  [ -z "$(ls "$work/lib" | grep -v '^Songs$' || true)" ] || fail "the dry run left $(ls "$work/lib")"
  [ "$(tail -n 1 "$work/out.txt")" = "Dry run: no song file was changed." ] ||
    fail "the dry run does not end with its last line: $(tail -n 3 "$work/out.txt")"
  grep -q "^Would rewrite Songs/" "$work/out.txt" || fail "the dry run names no file"
  grep -qx "Charts converted: [1-9][0-9]*" "$work/out.txt" || fail "no totals: $(cat "$work/out.txt")"
  sed -e 's/^Would rewrite /Rewriting /' -e '$d' "$work/out.txt" >"$work/dry.txt"

  run_everything lib
  expect_exit_status "$(grep -q '^Failed to write to' "$work/dry.txt" && echo 1 || echo 0)"
  stop_tool
  journal=$(cd "$work/lib" && ls rerate-undo-*.txt)
  [ "$(tail -n 1 "$work/out.txt")" = "To undo this rewrite: rerate --undo lib/$journal" ] ||
    fail "the undo line does not name lib/: $(tail -n 1 "$work/out.txt")"
  sed '$d' "$work/out.txt" | diff "$work/dry.txt" - || fail "the dry run and the rewrite of $1 differ"
  (cd "$work" && "$RERATE_BIN" --undo "lib/$journal" >undo.txt 2>&1) || fail "the undo failed"
  diff -r "$work/original" "$work/lib/Songs" || fail "the undo from the start folder missed a file"
}

check_library "$RERATE_SOURCE_DIR/examples/Songs"
end_without_corpus "$RERATE_CORPUS_DIR"
check_library "$RERATE_CORPUS_DIR/Songs"
echo ok
