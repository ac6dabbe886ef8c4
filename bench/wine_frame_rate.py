"""Frames a second from a Wine relay trace of SetDIBitsToDevice with timestamps (+timestamp,+relay),
after the first seconds given, and the ticks lost: the periods of the 1/64 s grid that the frames
span, less the frames. A frame that comes late, with the next one on time, loses nothing; one
that comes after a second tick fell due does, as the two ticks merge.
Usage: wine_frame_rate.py TRACE SETTLE_SECONDS"""
import sys

PERIOD = 1 / 64

trace, settle = sys.argv[1], float(sys.argv[2])
times = [float(line.split(":", 1)[0]) for line in open(trace, errors="replace") if "Call gdi32.SetDIBitsToDevice" in line]
if len(times) < 2:
    sys.exit(f"only {len(times)} frames in the trace")
times = [t for t in times if t >= times[0] + settle]
span = times[-1] - times[0]
lost = max(0, round(span / PERIOD) - (len(times) - 1))
print(f"{(len(times) - 1) / span:.3f} {lost} {span:.3f}")
