"""Rounds of "PROGRAM_OWN PROGRAM_SERVER FLOOR_OWN FLOOR_SERVER" ns per tick, one a line, to the
medians in ms of the program, the floor (each with its own and the display server's shares) and
the ratio, each median with the lowest and highest round beside it.
Usage: ratio_summary.py SERVER_NAME < ROUNDS"""
import statistics
import sys

server = sys.argv[1]
rounds = [list(map(int, line.split())) for line in sys.stdin if line.strip()]


def figure(values, scale=1e6):
    values = [value / scale for value in values]
    return f"{statistics.median(values):.3f} ({min(values):.3f}..{max(values):.3f})"


program = [own + served for own, served, _, _ in rounds]
floor = [own + served for _, _, own, served in rounds]
print(f"program {figure(program)} ms per tick, own {figure([r[0] for r in rounds])}, {server} {figure([r[1] for r in rounds])}")
print(f"floor   {figure(floor)} ms per tick, own {figure([r[2] for r in rounds])}, {server} {figure([r[3] for r in rounds])}")
print(f"ratio   {figure([p / f for p, f in zip(program, floor)], 1)}, ratio of the medians {statistics.median(program) / statistics.median(floor):.2f}")
