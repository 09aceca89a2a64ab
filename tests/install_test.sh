# tests/install_test.sh: `cmake --install` into a DESTDIR with another prefix puts the
# binary and the man page where GNUInstallDirs says, and the man page renders without a
# warning.
source "$(dirname "$0")/e2e_lib.sh"
: "${RERATE_BUILD_DIR:?RERATE_BUILD_DIR must name the build folder}"
command -v groff >/dev/null || skip "groff (package groff-base) is needed to check the man page"

DESTDIR="$work/stage" cmake --install "$RERATE_BUILD_DIR" --prefix /opt/rr >"$work/install.log" ||
  fail "cmake --install failed: $(cat "$work/install.log")"
[ -x "$work/stage/opt/rr/bin/rerate" ] || fail "no binary in DESTDIR/prefix/bin"
"$work/stage/opt/rr/bin/rerate" --version | grep -q "^rerate " ||
  fail "the installed binary does not run"
page="$work/stage/opt/rr/share/man/man1/rerate.1"
[ -f "$page" ] || fail "no man page in DESTDIR/prefix/share/man/man1"
grep -q '^\.TH RERATE 1 .*"rerate [0-9]' "$page" ||
  fail "the man page has no section 1 title with the version"
for section in NAME SYNOPSIS DESCRIPTION OPTIONS KEYS UNDO FILES "EXIT STATUS" EXAMPLES; do
  grep -q "^\.SH \"*$section\"*$" "$page" || fail "the man page has no $section section"
done
warnings=$(groff -ww -man -Tutf8 "$page" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "groff warns about the man page: $warnings"
echo ok
