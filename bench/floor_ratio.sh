#!/bin/bash
# CPU per tick of the real program against the floor of merely showing a frame (tavrel_floor),
# side by side: each run on a fresh Xvfb display at the scale given, the two taking turns, the
# program's and the X server's CPU time counted together, every thread's, from /proc's schedstat.
# Usage: bench/floor_ratio.sh BUILD_DIR [dpi...]   (RUNS, SECONDS_PER_RUN: 3 and 8 unless set)
set -u
BUILD=$1; shift
DPIS=${*:-96 192}
RUNS=${RUNS:-3}
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

# "PROGRAM SERVER" ns per tick, one pair a line, to "TOTAL PROGRAM SERVER" medians in ms.
medians() {
    python3 -c '
import statistics, sys
runs = [[own + server, own, server] for own, server in (map(int, line.split()) for line in sys.stdin)]
print(" ".join(f"{statistics.median(column) / 1e6:.3f}" for column in zip(*runs)))'
}

for dpi in $DPIS; do
    width=$(( (8175 * dpi + 720) / 1440 )); height=$(( (5040 * dpi + 720) / 1440 ))
    program=""; floor=""
    for _ in $(seq "$RUNS"); do
        program+="$(one_run "$dpi" "$BUILD/tavrel")"$'\n'
        floor+="$(one_run "$dpi" "$BUILD/bench/tavrel_floor" "$width" "$height")"$'\n'
    done
    read -r p p_own p_server < <(printf '%s' "$program" | medians)
    read -r f f_own f_server < <(printf '%s' "$floor" | medians)
    awk -v d="$dpi" -v w="$width" -v h="$height" -v p="$p" -v po="$p_own" -v ps="$p_server" -v f="$f" -v fo="$f_own" -v fs="$f_server" 'BEGIN {
        printf "%d dpi (%dx%d): program %.3f ms per tick (own %.3f, X server %.3f), floor %.3f ms (own %.3f, X server %.3f), ratio %.2f\n", d, w, h, p, po, ps, f, fo, fs, p / f
    }'
done
