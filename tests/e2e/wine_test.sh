#!/bin/bash
# End-to-end: the Windows build under Wine on Xvfb shows the rain in "Form1" over its whole client
# area, at the scale Wine's LogPixels sets, and ends on a key; with MIN_FPS, at least that many
# frames a second, counted from Wine's relay trace of SetDIBitsToDevice.
# Usage: wine_test.sh TAVREL.EXE [DPI] [MIN_FPS]
. "$(dirname "$0")/session.sh"
. "$(dirname "$0")/wine_session.sh"
EXE=$1
DPI=${2:-96}
MIN_FPS=${3:-}
choose_wine "$EXE"
started=$SECONDS
start_wine "$DPI"
if [ -n "$MIN_FPS" ]; then
    wine_setting 'HKCU\Software\Wine\Debug' RelayInclude REG_SZ gdi32.SetDIBitsToDevice
    export WINEDEBUG=+timestamp,+relay
fi
WINDOW_WAIT=120 start_program "$WINE" "$EXE"
echo "the window showed $((SECONDS - started)) s after the prefix was begun"
expected=$(python3 -c "import sys; d = int(sys.argv[1]); print(f'{(8175 * d + 720) // 1440}x{(5040 * d + 720) // 1440}')" "$DPI")
[ "$(client_size)" = "$expected" ] || fail "client area is $(client_size) at $DPI dpi, expected $expected"
wait_for_rain 30 "$expected"
[ -n "$MIN_FPS" ] && sleep 5
xdotool key a
expect_exit 10 0
if [ -n "$MIN_FPS" ]; then
    read -r rate lost span < <(python3 "$(dirname "$0")/frame_rate.py" "$WORK_DIR/stderr.txt" 1) || fail "no frames in the trace"
    echo "$rate frames a second over $span s"
    python3 -c "import sys; sys.exit(float(sys.argv[1]) < float(sys.argv[2]))" "$rate" "$MIN_FPS" || fail "$rate frames a second, fewer than $MIN_FPS"
fi
echo "PASS: the Windows build runs under Wine at $DPI dpi"
