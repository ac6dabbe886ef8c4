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
*)
    fail "unknown scenario $SCENARIO"
    ;;
esac
echo "PASS: $SCENARIO"
