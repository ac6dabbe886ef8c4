#!/bin/bash
# The frames a second the x86_64 Windows build shows under Wine over the seconds given, and the
# ticks lost (merged) meanwhile, counted from Wine's relay trace of SetDIBitsToDevice. On a quiet
# machine: 64 frames a second, and none lost but for a wineserver stall when it saves its
# registry (every 30 s). The tests check the tick rules instead, which hold on a loaded host too.
# Usage: bench/wine_frame_rate.sh BUILD_WINDOWS_X86_64_DIR [SECONDS]
. "$(dirname "$0")/../tests/e2e/session.sh"
. "$(dirname "$0")/../tests/e2e/wine_session.sh"
EXE=$1/tavrel.exe
DURATION=${2:-60}
SETTLE=2
choose_wine "$EXE"
start_wine 96
wine_setting 'HKCU\Software\Wine\Debug' RelayInclude REG_SZ gdi32.SetDIBitsToDevice
WINEDEBUG=+timestamp,+relay WINDOW_WAIT=60 start_program "$WINE" "$EXE"
sleep $((DURATION + SETTLE))
xdotool key a
expect_exit 10 0
read -r rate lost span < <(python3 "$(dirname "$0")/wine_frame_rate.py" "$WORK_DIR/stderr.txt" "$SETTLE") || fail "no frames in the trace"
echo "$rate frames a second over $span s, $lost ticks lost"
