"""Per-frame counts from valgrind's output files, for count_ratio.sh.

difference OUT_A OUT_B FRAMES: cachegrind files of two runs FRAMES frames apart; prints the
instructions and last-level misses per frame.
per-frame OUT FUNCTION [OTHER...]: callgrind files; prints the instructions and last-level misses
of OUT and the OTHER processes' files together per call of FUNCTION in OUT (a frame shown)."""
import re
import sys

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
    return counts["Ir"], sum(counts.get(name, 0) for name in LAST_LEVEL_MISSES)


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


def main():
    if sys.argv[1] == "difference":
        (ir_a, ll_a), (ir_b, ll_b) = totals(sys.argv[2]), totals(sys.argv[3])
        frames = int(sys.argv[4])
        print(f"{(ir_b - ir_a) / frames:.0f} {(ll_b - ll_a) / frames:.0f}")
    else:
        frames = calls_of(sys.argv[2], sys.argv[3])
        if frames == 0:
            sys.exit(f"no calls of {sys.argv[3]} in {sys.argv[2]}")
        counted = [totals(path) for path in [sys.argv[2]] + sys.argv[4:]]
        print(f"{sum(ir for ir, _ in counted) / frames:.0f} {sum(ll for _, ll in counted) / frames:.0f}")


main()
