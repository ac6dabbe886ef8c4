"""The turns of a Windows build under Wine, from a relay trace with timestamps (+timestamp,+relay)
of user32.MsgWaitForMultipleObjects and gdi32.SetDIBitsToDevice, as a record for tick_rules.py:
a turn runs from a wait's return (or, before the first wait, from the first image: a program
that is always behind never waits) to the next wait's call, and its frames are the images it
shows.
The turns over by the first seconds given are left out (the prefix settling). Wine stamps whole milliseconds.
Usage: wine_turns.py TRACE SETTLE_SECONDS > RECORD.json"""
import json
import sys

trace, settle = sys.argv[1], float(sys.argv[2])
turns = []
turn = None
for line in open(trace, errors="replace"):
    stamp, _, rest = line.partition(":")
    try:
        at = float(stamp) * 1000
    except ValueError:
        continue
    if "Ret  user32.MsgWaitForMultipleObjects" in rest:
        turn = {"start": at, "end": at, "ticks": {"frames": 0}}
    elif "Call user32.MsgWaitForMultipleObjects" in rest and turn:
        turn["end"] = at
        turns.append(turn)
        turn = None
    elif "Call gdi32.SetDIBitsToDevice" in rest:
        if not turn and not turns:
            turn = {"start": at, "end": at, "ticks": {"frames": 0}}
        if turn:
            turn["ticks"]["frames"] += 1
            turn["end"] = at
if turn:
    turns.append(turn)
if not any(turn["ticks"]["frames"] for turn in turns):
    sys.exit("no frames in the trace")
first_frame = next(turn["start"] for turn in turns if turn["ticks"]["frames"])
turns = [turn for turn in turns if turn["end"] >= first_frame + settle * 1000]
json.dump({"period": 15.625, "resolution": 1.0, "timers": {"frames": 1}, "turns": turns}, sys.stdout)
