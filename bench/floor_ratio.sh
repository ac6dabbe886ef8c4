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

. "$(dirname "$0")/cpu_ns.sh"

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

for dpi in $DPIS; do
    width=$(( (8175 * dpi + 720) / 1440 )); height=$(( (5040 * dpi + 720) / 1440 ))
    echo "$dpi dpi (${width}x${height}), $RUNS rounds of $MEASURE s, program and floor in turns:"
    for _ in $(seq "$RUNS"); do
        echo "$(one_run "$dpi" "$BUILD/tavrel") $(one_run "$dpi" "$BUILD/bench/tavrel_floor" "$width" "$height")"
    done | python3 "$(dirname "$0")/ratio_summary.py" "X server"
done
