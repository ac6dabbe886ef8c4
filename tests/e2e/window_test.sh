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
    for shot in first second; do
        image="$WORK_DIR/$shot.png"
        size=$(identify -format '%wx%h' "$image")
        [ "$size" = 545x336 ] || fail "$shot screenshot is $size"
        # One "(red,green,blue)" a line, from the histogram's leading tuples.
        colours=$(convert "$image" -format %c histogram:info:- | grep -o '^ *[0-9]*: ([0-9]*,[0-9]*,[0-9]*' | sed 's/.*(//')
        echo "$colours" | grep -qx '100,255,100' || fail "no head colour in the $shot screenshot"
        greens=$(echo "$colours" | grep -c '^0,[1-9][0-9]*,0$' || true)
        [ "$greens" -ge 20 ] || fail "only $greens greens in the $shot screenshot"
        others=$(echo "$colours" | awk -F, '$1 != $3 || $1 > 100' | head -3)
        [ -z "$others" ] || fail "colours other than greens in the $shot screenshot: $others"
        for quarter in 272x168+0+0 272x168+273+0 272x168+0+168 272x168+273+168; do
            lit=$(convert "$image" -crop "$quarter" +repage -fill black -opaque black -format '%[fx:mean>0.001]' info:)
            [ "$lit" = 1 ] || fail "the $quarter quarter of the $shot screenshot is dark"
        done
    done
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
