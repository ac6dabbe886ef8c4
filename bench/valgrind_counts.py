"""Per-frame counts from valgrind's output files, for count_ratio.sh.

difference OUT_A OUT_B FRAMES: cachegrind files of two runs FRAMES frames apart; prints the
instructions, first-level misses and last-level misses per frame.
per-frame OUT FUNCTION [OTHER...]: callgrind files; prints the instructions, first-level and
last-level misses of OUT and the OTHER processes' files together per call of FUNCTION in OUT (a
frame shown).
row LABEL OFF_SCREEN(3) PROGRAM(3) FLOOR(3): one line of count_ratio.sh's table, with the ratios."""
import re
import sys

FIRST_LEVEL_MISSES = ("I1mr", "D1mr", "D1mw")
LAST_LEVEL_MISSES = ("ILmr", "DLmr", "DLmw")


def totals(path):
    events, summary = None, None
    with open(path, errors="replace") as lines:
        for line in lines:
            if line.startswith("events:"):
                events = line.split()[1:]
            elif line.startswith(("summary:", "totals:")):
                summary = [int(value) for value in line.split()[1:]]
    if not events or not summary:
        sys.exit(f"no totals in {path}")
    counts = dict(zip(events, summary + [0] * (len(events) - len(summary))))
    return counts["Ir"], sum(counts.get(name, 0) for name in FIRST_LEVEL_MISSES), sum(counts.get(name, 0) for name in LAST_LEVEL_MISSES)


def calls_of(path, function):
    """Calls of the function, from callgrind's cfn= and calls= lines (names compressed to ids)."""
    names, calls, target = {}, 0, None
    with open(path, errors="replace") as lines:
        for line in lines:
            match = re.match(r"c?fn=\((\d+)\)(?: (.*))?", line.strip())
            if match:
                ident, name = match.groups()
                if name:
                    names[ident] = name
                if line.startswith("cfn="):
                    target = names.get(ident)
                continue
            if line.startswith("calls=") and target == function:
                calls += int(line.split("=")[1].split()[0])
    return calls


def ratio(numerator, denominator):
    return f"{numerator / denominator:.2f}" if denominator else "-"


def main():
    if sys.argv[1] == "row":
        label = sys.argv[2]
        off, program, floor = (list(map(float, sys.argv[at:at + 3])) for at in (3, 6, 9))
        columns = " | ".join(f"{ir:12.0f} {l1:10.0f} {ll:10.0f}" for ir, l1, ll in (off, program, floor))
        ratios = ", ".join(f"{name} {ratio(p, f)}" for name, p, f in zip(("instructions", "L1 misses", "LL misses"), program, floor))
        print(f"{label:20s} {columns} | {ratios}")
    elif sys.argv[1] == "difference":
        first, second = totals(sys.argv[2]), totals(sys.argv[3])
        frames = int(sys.argv[4])
        print(" ".join(f"{(b - a) / frames:.0f}" for a, b in zip(first, second)))
    else:
        frames = calls_of(sys.argv[2], sys.argv[3])
        if frames == 0:
            sys.exit(f"no calls of {sys.argv[3]} in {sys.argv[2]}")
        counted = [totals(path) for path in [sys.argv[2]] + sys.argv[4:]]
        print(" ".join(f"{sum(column) / frames:.0f}" for column in zip(*counted)))


main()
