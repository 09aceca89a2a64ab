#!/usr/bin/env python3
"""tests/support/rewrite_check.py: checks a rewritten song library against its original
copy and the report of the run.

Usage: rewrite_check.py ORIGINAL_SONGS REWRITTEN_SONGS REPORT STEPS [MODES]

STEPS holds twelve digits, the scale step of Single Beginner .. Single Edit, then Double
Beginner .. Double Edit. MODES ("Single", "Double" or "Single,Double", the default) are
the modes the report may mention.

A song file with "Rewriting" in the report must equal its original byte for byte but for
the digits of the converted meters it reports (old -> new, in file order; not charts it
reports unmatched). Every other song file must be unchanged byte for byte, and no
temporary file may be left behind.
"""
import os
import re
import sys

DIFFICULTIES = ["Beginner", "Easy", "Medium", "Hard", "Expert", "Edit"]
MODES = ["Single", "Double"]
DIGITS = re.compile(rb"(\d+)")
REPORT_CHART = re.compile(r"^ - (\w+) (\w+) \((-?\d+) -> (-?\d+)\)$")
REPORT_UNMATCHED = re.compile(r"^ - \w+ \w+ \(\d+\): no matching chart in this file, not changed here$")


def convert_meter(meter, step):
    divisor = step * 0.1 + 1.0
    return int(meter / divisor + 0.5)


def parse_report(path):
    """Maps each song path to ("rewritten", [(mode, difficulty, old, new)]) or ("failed",)."""
    songs = {}
    current = None
    with open(path, encoding="utf-8", errors="surrogateescape") as report:
        for line in report.read().splitlines():
            if line.startswith("Rewriting ") and line.endswith("..."):
                current = line[len("Rewriting "):-3]
                songs[current] = ("rewritten", [])
            elif line.startswith("Failed to write to "):
                songs[line[len("Failed to write to "):]] = ("failed",)
                current = None
            elif REPORT_UNMATCHED.match(line) and current is not None:
                continue
            elif line.startswith(" - "):
                match = REPORT_CHART.match(line)
                if not match or current is None:
                    raise SystemExit(f"unexpected report line: {line!r}")
                mode, difficulty, old, new = match.groups()
                songs[current][1].append((mode, difficulty, int(old), int(new)))
    return songs


def differing_numbers(before, after, where):
    """The (old digits, new digits) pairs where the two texts differ, checking that
    nothing but runs of digits does."""
    parts_before = DIGITS.split(before)
    parts_after = DIGITS.split(after)
    if len(parts_before) != len(parts_after):
        raise SystemExit(f"{where}: the file's layout changed")
    pairs = []
    for i, (a, b) in enumerate(zip(parts_before, parts_after)):
        if a == b:
            continue
        if i % 2 == 0:
            raise SystemExit(f"{where}: text other than a meter changed: {a[:60]!r} -> {b[:60]!r}")
        pairs.append((a, b))
    return pairs


def check_rewritten(before, after, charts, steps, modes, where):
    for mode, difficulty, old, new in charts:
        if mode not in modes:
            raise SystemExit(f"{where}: {mode} chart converted, but only {modes} were selected")
        step = steps[MODES.index(mode) * 6 + DIFFICULTIES.index(difficulty)]
        if new != convert_meter(old, step):
            raise SystemExit(f"{where}: {mode} {difficulty} {old} -> {new} at step {step}")
    found = differing_numbers(before, after, where)
    if any(str(int(b)).encode() != b for _, b in found):
        raise SystemExit(f"{where}: a new meter is not a bare number: {found}")
    found_values = [(int(a), int(b)) for a, b in found]
    # Every reported change must show in the file, in order; a reported meter that keeps
    # its value may keep its digits too.
    reported = [(old, new) for _, _, old, new in charts]
    next_found = 0
    for pair in reported:
        if next_found < len(found_values) and found_values[next_found] == pair:
            next_found += 1
        elif pair[0] != pair[1]:
            raise SystemExit(f"{where}: meters changed {found_values}, report says {reported}")
    if next_found != len(found_values):
        raise SystemExit(f"{where}: meters changed {found_values}, report says {reported}")
    return len(charts)


def main():
    original_root, rewritten_root, report_path, step_text = sys.argv[1:5]
    modes = (sys.argv[5] if len(sys.argv) > 5 else "Single,Double").split(",")
    steps = [int(c) for c in step_text]
    report = parse_report(report_path)
    files = charts = rewritten_files = 0
    for folder, _, names in os.walk(rewritten_root):
        for name in names:
            if name.startswith(".rerate-"):
                raise SystemExit(f"temporary file left behind: {os.path.join(folder, name)}")
    for folder, _, names in os.walk(original_root):
        for name in names:
            original_path = os.path.join(folder, name)
            relative = os.path.relpath(original_path, original_root)
            with open(original_path, "rb") as f:
                original = f.read()
            with open(os.path.join(rewritten_root, relative), "rb") as f:
                rewritten = f.read()
            song = "Songs/" + relative.replace(os.sep, "/")
            files += 1
            outcome = report.pop(song, None)
            if outcome and outcome[0] == "rewritten":
                charts += check_rewritten(original, rewritten, outcome[1], steps, modes, song)
                rewritten_files += 1
            elif original != rewritten:
                raise SystemExit(f"{song}: changed, but the report does not say it was rewritten")
    if report:
        raise SystemExit(f"the report names files that do not exist: {sorted(report)}")
    print(f"checked {files} files: {rewritten_files} rewritten with {charts} converted charts")


main()
