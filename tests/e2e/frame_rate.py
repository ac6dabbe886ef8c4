"""Frames a second from a Wine relay trace of SetDIBitsToDevice with timestamps (+timestamp,+relay),
after the first seconds given, and the ticks lost: gaps of one and a half 1/64 s periods or more.
Usage: frame_rate.py TRACE SETTLE_SECONDS"""
import sys

PERIOD = 1 / 64

trace, settle = sys.argv[1], float(sys.argv[2])
times = [float(line.split(":", 1)[0]) for line in open(trace, errors="replace") if "Call gdi32.SetDIBitsToDevice" in line]
if len(times) < 2:
    sys.exit(f"only {len(times)} frames in the trace")
times = [t for t in times if t >= times[0] + settle]
span = times[-1] - times[0]
lost = sum(round((later - earlier) / PERIOD) - 1 for earlier, later in zip(times, times[1:]) if later - earlier >= 1.5 * PERIOD)
print(f"{(len(times) - 1) / span:.3f} {lost} {span:.3f}")
