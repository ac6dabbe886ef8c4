#!/bin/bash
# End-to-end: the Windows build under Wine keeps the tick rules for the seconds given, whatever
# the host delivers (tick_rules.py): a frame for every slot of 1/64 s in which Wine woke it, none
# queued or caught up, none twice in a slot. The turns are read from Wine's relay trace of its
# wait and of SetDIBitsToDevice; the rate itself is bench/wine_frame_rate.sh's to measure.
# Usage: wine_tick_rate_test.sh TAVREL.EXE SECONDS
. "$(dirname "$0")/session.sh"
. "$(dirname "$0")/wine_session.sh"
EXE=$1
DURATION=$2
SETTLE=2
choose_wine "$EXE"
start_wine 96
trace_turns
WINDOW_WAIT=60 start_program "$WINE" "$EXE"
sleep $((DURATION + SETTLE))
xdotool key a
expect_exit 10 0
check_tick_rules "$SETTLE"
echo "PASS: the tick rules held under Wine for $DURATION s"
