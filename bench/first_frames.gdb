# Times of the frames in the program's first second, from its start: the count and the longest
# gap between two. Run by first_frames.sh.
set pagination off
python
import subprocess, time
frames = []
class Frame(gdb.Breakpoint):
    def stop(self):
        frames.append(time.monotonic())
        return False
Frame("tavrel::DrawFrame")
end
python subprocess.Popen(['sh', '-c', 'sleep 3; pkill -TERM -x tavrel'])
run
python
first = [t for t in frames if t - frames[0] <= 1.0]
gaps = [b - a for a, b in zip(first, first[1:])]
print("frames in the first second: %d, longest gap %.1f ms, gaps over 20 ms: %d" % (len(first), max(gaps) * 1000, sum(g > 0.020 for g in gaps)))
end
