#!/bin/bash
# CPU per tick of the real program, and of the X server, while its window is minimised, under
# Xvfb with a window manager: every thread's, from /proc's schedstat.
# Usage: bench/minimised_cpu.sh build/tavrel [seconds]
set -u
PROGRAM=$1
MEASURE=${2:-10}
. "$(dirname "$0")/../tests/e2e/session.sh"
. "$(dirname "$0")/cpu_ns.sh"

start_display
start_program "$PROGRAM"
xdotool windowminimize --sync "$WINDOW"
sleep 2
program_before=$(cpu_ns "$PROGRAM_PID"); server_before=$(cpu_ns "$XVFB_PID")
sleep "$MEASURE"
program_after=$(cpu_ns "$PROGRAM_PID"); server_after=$(cpu_ns "$XVFB_PID")
awk -v p=$((program_after - program_before)) -v s=$((server_after - server_before)) -v t="$MEASURE" 'BEGIN {
    printf "minimised: program %.4f ms per tick, X server %.4f ms per tick\n", p / (t * 64) / 1e6, s / (t * 64) / 1e6
}'
