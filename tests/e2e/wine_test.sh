#!/bin/bash
# End-to-end: the Windows build under Wine on Xvfb shows the rain in "Form1" and ends on a key.
# Usage: wine_test.sh TAVREL.EXE
. "$(dirname "$0")/session.sh"
EXE=$1
WINE=$(command -v wine64 || echo /usr/lib/wine/wine64)
[ -x "$WINE" ] || fail "wine64 is not installed"
export WINEPREFIX="$WORK_DIR/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
start_display
timeout 180 "$WINE" wineboot --init >/dev/null 2>&1 || fail "wineboot could not make a Wine prefix"
WINDOW_WAIT=60 start_program "$WINE" "$EXE"
geometry=$(xwininfo -id "$WINDOW")
echo "$geometry" | grep -q 'Width: 545' && echo "$geometry" | grep -q 'Height: 336' || fail "client area is not 545 x 336: $geometry"
sleep 1.5
import -window "$WINDOW" "$WORK_DIR/shot.png"
check_rain_screenshot "$WORK_DIR/shot.png" 545x336
xdotool key a
expect_exit 10 0
wineserver -k 2>/dev/null || true
echo "PASS: the Windows build runs under Wine"
