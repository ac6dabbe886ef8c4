#!/bin/bash
# End-to-end: the real window under Xvfb. Usage: window_test.sh TAVREL SCENARIO
. "$(dirname "$0")/session.sh"
PROGRAM=$1
SCENARIO=$2
start_display
start_program "$PROGRAM"

case "$SCENARIO" in
client-area)
    geometry=$(xwininfo -id "$WINDOW")
    echo "$geometry" | grep -q 'Width: 545' || fail "client width is not 545: $geometry"
    echo "$geometry" | grep -q 'Height: 336' || fail "client height is not 336: $geometry"
    ;;
letter-ends)
    xdotool key a
    expect_exit 1 0
    ;;
escape-ends)
    xdotool key Escape
    expect_exit 1 0
    ;;
shift-alone-ends)
    xdotool key Shift_L
    expect_exit 1 0
    ;;
mouse-does-not-end)
    xdotool mousemove --window "$WINDOW" 100 100 click 1 mousemove --window "$WINDOW" 300 200 click 3
    sleep 1
    program_running || fail "a mouse click ended the program"
    xdotool key q
    expect_exit 1 0
    ;;
close-ends)
    wmctrl -c Form1
    expect_exit 2 0
    ;;
rain-visible)
    # Two screenshots half a second apart: both show heads and greens in every quarter of the
    # window, nothing but greens and black, and they differ.
    wait_until 5 true
    sleep 0.5
    import -window "$WINDOW" "$WORK_DIR/first.png"
    sleep 0.5
    import -window "$WINDOW" "$WORK_DIR/second.png"
    check_rain_screenshot "$WORK_DIR/first.png" 545x336
    check_rain_screenshot "$WORK_DIR/second.png" 545x336
    changed=$(compare -metric AE "$WORK_DIR/first.png" "$WORK_DIR/second.png" null: 2>&1 || true)
    [ "${changed%% *}" -gt 1000 ] 2>/dev/null || fail "the screenshots differ in only $changed pixels"
    xdotool key space
    expect_exit 1 0
    ;;
*)
    fail "unknown scenario $SCENARIO"
    ;;
esac
echo "PASS: $SCENARIO"
