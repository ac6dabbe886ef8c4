"""The rules a program's ticks keep whatever the host does, checked on a record of its turns.

A timer of period P falls due on a grid t0 + k P; the record does not give t0. The host delivers
turns (wake-ups) when it can, and a turn may last past the grid's next point. For some phase t0
of each timer's grid (the slot of a time t being floor((t - t0) / P)):
- a turn runs at most one tick for its first slot and one more for each slot it reaches into:
  no tick is queued or caught up;
- a turn that starts in a slot later than the last tick's runs a tick: ticks that fell due while
  the host delivered nothing merge into it, and none is lost;
- no two ticks share a slot;
- where the record has the program's requests for its next turn, they aim at the next grid
  point, rounded up to the host's whole milliseconds (within 2 ms, all but one in a hundred):
  never early, never late;
- where it has none, the ticks that end a gap of more than a slot lie anywhere in their slot,
  as a host's delays put them, not all alike as a program that waits too long puts them.
Times within the record's resolution of a slot's edge may count on either side. A name may stand
for several timers of one grid (the record's multiplicity): each rule then counts that many ticks.

Usage: tick_rules.py RECORD.json
RECORD: {"period": ms, "resolution": ms, "timers": {name: multiplicity},
"turns": [{"start": ms, "end": ms, "ticks": {name: count}}], "requests": [{"at": ms, "delay": ms}]}
("requests" may be left out). Prints a summary; exits 1 naming what broke a rule."""
import json
import math
import sys

PHASE_STEP = 0.05


class Grid:
    def __init__(self, phase, period, tolerance):
        self.phase, self.period, self.tolerance = phase, period, tolerance

    def earliest(self, time):
        return math.floor((time - self.tolerance - self.phase) / self.period)

    def latest(self, time):
        return math.floor((time + self.tolerance - self.phase) / self.period)

    def next_point(self, time):
        """The first grid point after a time, and the one after it where the time is at an edge."""
        point = self.phase + self.period * (math.floor((time - self.phase) / self.period) + 1)
        return point, point + self.period if point - time <= self.tolerance else point


def broken_rules(turns, name, multiplicity, grid):
    """What the turns do against the rules on this grid: the first few things, or nothing."""
    found = []
    last_latest = last_earliest = None
    for turn in turns:
        count = turn["ticks"].get(name, 0)
        first, reached = grid.earliest(turn["start"]), grid.latest(turn["end"])
        slots = math.ceil(count / multiplicity)
        if slots > 1 + reached - first:
            found.append(f"{count} ticks of {name} in a turn over {reached - first + 1} slots at {turn['start']:.3f} ms")
        if count == 0:
            if last_latest is not None and first > last_latest:
                found.append(f"no tick of {name} in a turn at {turn['start']:.3f} ms, slots after the last")
        else:
            if last_earliest is not None and reached - last_earliest < slots:
                found.append(f"a tick of {name} at {turn['start']:.3f} ms in the slot of the one before")
            last_latest, last_earliest = reached, first + slots - 1
        if len(found) >= 3:
            break
    return found


def gap_end_lateness(turns, name, grid):
    """How far into its slot each turn starts that ends a gap of more than a slot after the
    last tick (at the latest, in the slot its turn ended in)."""
    ticking = [turn for turn in turns if turn["ticks"].get(name, 0)]
    return [(after["start"] - grid.phase) % grid.period for before, after in zip(ticking, ticking[1:])
            if grid.earliest(after["start"]) - grid.latest(before["end"]) > 1]


def most_alike(values, period, width):
    """The most values that lie within a window of the width given, on a circle of the period."""
    ordered = sorted(values)
    circle = ordered + [value + period for value in ordered]
    most = start = 0
    for end, value in enumerate(circle):
        while value - circle[start] > width:
            start += 1
        most = max(most, min(end - start + 1, len(ordered)))
    return most


def bad_request(requests, grids):
    # A browser's timer may fire a moment early, and the program then asks again for the rest;
    # the phase found is only as good as the clock: 2 ms either way, far short of a period. A
    # host's clock may jump now and then: a few requests in a hundred may miss, not more.
    slack = max(grids[0].tolerance, 2.0)
    missed = []
    for request in requests:
        aim = request["at"] + request["delay"]
        if not any(point - slack <= aim <= point + 1 + slack for grid in grids for point in grid.next_point(request["at"])):
            missed.append(f"a turn asked at {request['at']:.3f} ms for one at {aim:.3f} ms")
    if len(missed) > max(2, len(requests) // 100):
        return f"{len(missed)} of {len(requests)} turns were not asked for at the next grid point: {missed[0]}"
    return None


def check(record):
    period, tolerance = record["period"], record["resolution"]
    turns = sorted(record["turns"], key=lambda turn: turn["start"])
    requests = record.get("requests")
    problems = []
    grids = []
    for name, multiplicity in record["timers"].items():
        candidates = (Grid(index * PHASE_STEP, period, tolerance) for index in range(int(period / PHASE_STEP)))
        fits = [grid for grid in candidates if not broken_rules(turns, name, multiplicity, grid)]
        if not fits:
            problems += broken_rules(turns, name, multiplicity, Grid(0, period, tolerance))
            problems.append(f"no grid of {name}'s period explains its ticks")
            continue
        if requests:
            fits = [grid for grid in fits if not bad_request(requests, [grid])] or fits
        # Of the phases that fit, the one the ticks lie closest after: a host delivers late,
        # never early.
        starts = [turn["start"] for turn in turns if turn["ticks"].get(name, 0)]
        grid = min(fits, key=lambda grid: sum((start - grid.phase) % period for start in starts))
        grids.append(grid)
        ticks = sum(turn["ticks"].get(name, 0) for turn in turns)
        lateness = gap_end_lateness(turns, name, grid)
        alike = most_alike(lateness, period, 4 * tolerance)
        span = max(turns[-1]["end"] - turns[0]["start"], 1) / 1000
        print(f"{name}: {ticks} ticks in {len(turns)} turns over {span:.3f} s ({ticks / span / multiplicity:.2f} a second); "
              f"{len(lateness)} gaps merged, {alike} of them ending alike; grid phase {grid.phase:.2f} ms")
        # A host's delays end gaps anywhere in a slot; a program that waits too long ends them
        # all the same way into it.
        if not requests and len(lateness) >= 12 and alike > 0.6 * len(lateness):
            problems.append(f"{alike} of {len(lateness)} merged gaps of {name} end alike in their slot: the program waits too long")
    if requests and grids and len(grids) == len(record["timers"]):
        problem = bad_request(requests, grids)
        if problem:
            problems.append(problem)
    return problems


if __name__ == "__main__":
    with open(sys.argv[1]) as file:
        problems = check(json.load(file))
    for problem in problems:
        print(f"broken: {problem}")
    sys.exit(1 if problems else 0)
