#!/bin/bash
# End-to-end: the Windows build under Wine on Xvfb shows the rain in "Form1" over its whole client
# area, at the scale Wine's LogPixels sets, and ends on a key; with "tick-rules", its frames keep
# the tick rules for five seconds (see wine_tick_rate_test.sh).
# Usage: wine_test.sh TAVREL.EXE [DPI] [tick-rules]
. "$(dirname "$0")/session.sh"
. "$(dirname "$0")/wine_session.sh"
EXE=$1
DPI=${2:-96}
TICK_RULES=${3:-}
choose_wine "$EXE"
started=$SECONDS
start_wine "$DPI"
[ -n "$TICK_RULES" ] && trace_turns
WINDOW_WAIT=120 start_program "$WINE" "$EXE"
echo "the window showed $((SECONDS - started)) s after the prefix was begun"
expected=$(python3 -c "import sys; d = int(sys.argv[1]); print(f'{(8175 * d + 720) // 1440}x{(5040 * d + 720) // 1440}')" "$DPI")
[ "$(client_size)" = "$expected" ] || fail "client area is $(client_size) at $DPI dpi, expected $expected"
wait_for_rain 30 "$expected"
[ -n "$TICK_RULES" ] && sleep 5
xdotool key a
expect_exit 10 0
[ -n "$TICK_RULES" ] && check_tick_rules 1
echo "PASS: the Windows build runs under Wine at $DPI dpi"
