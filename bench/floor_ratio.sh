#!/bin/bash
# CPU per tick of the real program against the floor of merely showing a frame (tavrel_floor),
# side by side: each run on a fresh Xvfb display at the scale given, the two taking turns, the
# program's and the X server's CPU time counted together, every thread's, from /proc's schedstat.
# The median of the rounds is printed with their spread (lowest and highest), the host's noise.
# Usage: bench/floor_ratio.sh BUILD_DIR [dpi...]   (RUNS, SECONDS_PER_RUN: 7 and 8 unless set)
set -u
BUILD=$1; shift
DPIS=${*:-96 192}
RUNS=${RUNS:-7}
MEASURE=${SECONDS_PER_RUN:-8}
SESSION="$(dirname "$0")/../tests/e2e/session.sh"

cpu_ns() { cat "/proc/$1"/task/*/schedstat | awk '{ total += $1 } END { print total }'; }

# CPU ns per tick at 64 ticks a second for one run of a command on a fresh display.
one_run() {
    local dpi=$1; shift
    (
        . "$SESSION"
        start_display
        echo "Xft.dpi: $dpi" | xrdb -merge
        start_program "$@"
        sleep 2
        local program_before server_before
        program_before=$(cpu_ns "$PROGRAM_PID"); server_before=$(cpu_ns "$XVFB_PID")
        sleep "$MEASURE"
        echo "$(( ($(cpu_ns "$PROGRAM_PID") - program_before) / (MEASURE * 64) )) $(( ($(cpu_ns "$XVFB_PID") - server_before) / (MEASURE * 64) ))"
    )
}

# Lines of "PROGRAM_OWN PROGRAM_SERVER FLOOR_OWN FLOOR_SERVER" ns per tick, one round a line, to
# medians in ms of the program, the floor (each with its own and the X server's shares) and
# the ratio, each median with the lowest and highest round beside it.
summary() {
    python3 -c '
import statistics, sys
rounds = [list(map(int, line.split())) for line in sys.stdin if line.strip()]
def figure(values, scale=1e6):
    values = [value / scale for value in values]
    return f"{statistics.median(values):.3f} ({min(values):.3f}..{max(values):.3f})"
program = [own + server for own, server, _, _ in rounds]
floor = [own + server for _, _, own, server in rounds]
print(f"program {figure(program)} ms per tick, own {figure([r[0] for r in rounds])}, X server {figure([r[1] for r in rounds])}")
print(f"floor   {figure(floor)} ms per tick, own {figure([r[2] for r in rounds])}, X server {figure([r[3] for r in rounds])}")
print(f"ratio   {figure([p / f for p, f in zip(program, floor)], 1)}, ratio of the medians {statistics.median(program) / statistics.median(floor):.2f}")'
}

for dpi in $DPIS; do
    width=$(( (8175 * dpi + 720) / 1440 )); height=$(( (5040 * dpi + 720) / 1440 ))
    echo "$dpi dpi (${width}x${height}), $RUNS rounds of $MEASURE s, program and floor in turns:"
    for _ in $(seq "$RUNS"); do
        echo "$(one_run "$dpi" "$BUILD/tavrel") $(one_run "$dpi" "$BUILD/bench/tavrel_floor" "$width" "$height")"
    done | summary
done
