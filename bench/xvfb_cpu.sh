#!/bin/bash
# CPU use of the real program and of the X server under Xvfb, and the program's frames and steps
# per second. Usage: bench/xvfb_cpu.sh build/tavrel [seconds]
# CPU comes from /proc over a quiet run; frames and steps are counted in a second run with gdb
# breakpoints, which would distort the CPU figures.
set -u
PROGRAM=$1
SECONDS_TO_MEASURE=${2:-10}
. "$(dirname "$0")/../tests/e2e/session.sh"

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

start_display
start_program "$PROGRAM"
sleep 2
hz=$(getconf CLK_TCK)
program_before=$(cpu_ticks "$PROGRAM_PID"); server_before=$(cpu_ticks "$XVFB_PID")
sleep "$SECONDS_TO_MEASURE"
program_after=$(cpu_ticks "$PROGRAM_PID"); server_after=$(cpu_ticks "$XVFB_PID")
rss_kb=$(awk '/VmRSS/ {print $2}' "/proc/$PROGRAM_PID/status")
kill "$PROGRAM_PID"; wait "$PROGRAM_PID" 2>/dev/null; PROGRAM_PID=

start_program "$PROGRAM"
sleep 2
# The interval starts once gdb has attached, so the attaching does not count against the rate.
counts=$(timeout $((SECONDS_TO_MEASURE + 30)) gdb -p "$PROGRAM_PID" -batch \
    -ex "python import subprocess; subprocess.Popen(['sh', '-c', 'sleep $SECONDS_TO_MEASURE; kill -INT $PROGRAM_PID'])" \
    -x "$(dirname "$0")/count_ticks.gdb" 2>/dev/null | grep -E '^[0-9]+ [0-9]+$' | tail -1)
read -r frames steps <<<"$counts"

awk -v p=$((program_after - program_before)) -v s=$((server_after - server_before)) -v hz="$hz" \
    -v t="$SECONDS_TO_MEASURE" -v f="$frames" -v st="$steps" -v rss="$rss_kb" 'BEGIN {
    fps = f / t
    printf "program: %.3f CPU s/s   X server: %.3f CPU s/s   resident: %d kB\n", p / hz / t, s / hz / t, rss
    printf "frames: %.1f/s   steps: %.1f/s   CPU per frame (program + X server): %.2f ms\n", fps, st / t, (p + s) / hz / t / fps * 1000
}'
