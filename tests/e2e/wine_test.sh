#!/bin/bash
# End-to-end: the Windows build under Wine on Xvfb shows the rain in "Form1" over its whole client
# area, at the scale Wine's LogPixels sets, and ends on a key.
# Usage: wine_test.sh TAVREL.EXE [DPI]
. "$(dirname "$0")/session.sh"
. "$(dirname "$0")/wine_session.sh"
EXE=$1
DPI=${2:-96}
choose_wine "$EXE"
start_wine "$DPI"
WINDOW_WAIT=60 start_program "$WINE" "$EXE"
expected=$(python3 -c "import sys; d = int(sys.argv[1]); print(f'{(8175 * d + 720) // 1440}x{(5040 * d + 720) // 1440}')" "$DPI")
[ "$(client_size)" = "$expected" ] || fail "client area is $(client_size) at $DPI dpi, expected $expected"
wait_for_rain 20 "$expected"
xdotool key a
expect_exit 10 0
echo "PASS: the Windows build runs under Wine at $DPI dpi"
