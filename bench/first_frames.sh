#!/bin/bash
# The first second of the real program under Xvfb: its frames and the longest gap between two,
# timed at each frame's start under gdb. Usage: bench/first_frames.sh build/tavrel [runs]
set -u
PROGRAM=$1
RUNS=${2:-5}
. "$(dirname "$0")/../tests/e2e/session.sh"

start_display
for run in $(seq "$RUNS"); do
    timeout 30 gdb -batch -x "$(dirname "$0")/first_frames.gdb" "$PROGRAM" 2>/dev/null | grep '^frames in the first second'
done
