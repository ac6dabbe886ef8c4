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
        echo $(( ($(cpu_ns "$PROGRAM_PID") - program_before + $(cpu_ns "$XVFB_PID") - server_before) / (MEASURE * 64) ))
    )
}

median() { tr ' ' '\n' | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

for dpi in $DPIS; do
    width=$(( (8175 * dpi + 720) / 1440 )); height=$(( (5040 * dpi + 720) / 1440 ))
    program=(); floor=()
    for _ in $(seq "$RUNS"); do
        program+=("$(one_run "$dpi" "$BUILD/tavrel")")
        floor+=("$(one_run "$dpi" "$BUILD/bench/tavrel_floor" "$width" "$height")")
    done
    program_median=$(echo "${program[*]}" | median); floor_median=$(echo "${floor[*]}" | median)
    awk -v d="$dpi" -v w="$width" -v h="$height" -v p="$program_median" -v f="$floor_median" -v pr="${program[*]}" -v fr="${floor[*]}" 'BEGIN {
        printf "%d dpi (%dx%d): program %.3f ms per tick, floor %.3f ms, ratio %.2f   (runs: program %s; floor %s ns)\n", d, w, h, p / 1e6, f / 1e6, p / f, pr, fr
    }'
done
