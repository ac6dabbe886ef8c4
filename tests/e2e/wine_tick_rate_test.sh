#!/bin/bash
# End-to-end: the Windows build under Wine shows 64 frames a second, with no tick lost, over the
# seconds given; the frames are counted from Wine's relay trace of SetDIBitsToDevice.
# Usage: wine_tick_rate_test.sh TAVREL.EXE SECONDS
. "$(dirname "$0")/session.sh"
. "$(dirname "$0")/wine_session.sh"
EXE=$1
DURATION=$2
SETTLE=2
choose_wine "$EXE"
start_wine 96
wine_setting 'HKCU\Software\Wine\Debug' RelayInclude REG_SZ gdi32.SetDIBitsToDevice
WINEDEBUG=+timestamp,+relay WINDOW_WAIT=60 start_program "$WINE" "$EXE"
sleep $((DURATION + SETTLE))
xdotool key a
expect_exit 10 0
read -r rate lost span < <(python3 "$(dirname "$0")/frame_rate.py" "$WORK_DIR/stderr.txt" "$SETTLE") || fail "no frames in the trace"
echo "$rate frames a second over $span s, $lost ticks lost"
# A tick merged away is a frame lost for good. wineserver saves its registry every 30 s and
# stalls every wait meanwhile, now and then past a tick: one such loss per save is Wine's.
[ "$lost" -le 2 ] || fail "$lost ticks lost over $span s"
python3 -c "import sys; sys.exit(abs(float(sys.argv[1]) - 64) > 0.05)" "$rate" || fail "$rate frames a second, not 64"
echo "PASS: 64 frames a second under Wine over $span s"
