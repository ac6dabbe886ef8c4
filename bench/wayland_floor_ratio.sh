#!/bin/bash
# CPU per tick of the native Wayland window against the floor of merely showing a frame there
# (tavrel_wayland_floor), side by side: each run on a fresh headless sway at the output scale
# given, the two taking turns, the program's and sway's CPU time counted together, every thread's,
# from /proc's schedstat. Medians with the rounds' spread (lowest and highest).
# Usage: bench/wayland_floor_ratio.sh BUILD_DIR [scale...]   (RUNS, SECONDS_PER_RUN: 7 and 8 unless set)
set -u
BUILD=$(cd "$1" && pwd); shift
SCALES=${*:-1 2}
RUNS=${RUNS:-7}
MEASURE=${SECONDS_PER_RUN:-8}
E2E="$(dirname "$0")/../tests/e2e"

. "$(dirname "$0")/cpu_ns.sh"

# CPU ns per tick at 64 ticks a second for one run of a program on a fresh sway: its own, sway's.
one_run() {
    local scale=$1 program=$2
    (
        . "$E2E/session.sh"
        . "$E2E/wayland_session.sh"
        PROGRAM=$program
        SWAY_SCALE=$scale start_sway
        start_wayland_program
        sleep 2
        local program_before server_before
        program_before=$(cpu_ns "$PROGRAM_PID"); server_before=$(cpu_ns "$SWAY_PID")
        sleep "$MEASURE"
        echo "$(( ($(cpu_ns "$PROGRAM_PID") - program_before) / (MEASURE * 64) )) $(( ($(cpu_ns "$SWAY_PID") - server_before) / (MEASURE * 64) ))"
    )
}

for scale in $SCALES; do
    echo "output scale $scale, $RUNS rounds of $MEASURE s, program and floor in turns:"
    for _ in $(seq "$RUNS"); do
        echo "$(one_run "$scale" "$BUILD/tavrel") $(one_run "$scale" "$BUILD/bench/tavrel_wayland_floor")"
    done | python3 "$(dirname "$0")/ratio_summary.py" sway
done
