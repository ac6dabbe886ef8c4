#!/bin/bash
# End-to-end: the real window under Xvfb. Usage: window_test.sh TAVREL SCENARIO
. "$(dirname "$0")/session.sh"
PROGRAM=$1
SCENARIO=$2

# Two screenshots that differ: the program has drawn frames since the first.
wait_for_new_frame() {
    import -window "$WINDOW" "$WORK_DIR/before.png"
    local deadline changed
    deadline=$(deadline_after 15)
    until import -window "$WINDOW" "$WORK_DIR/after.png" \
        && changed=$(compare -metric AE "$WORK_DIR/before.png" "$WORK_DIR/after.png" null: 2>&1 || true) \
        && [ "${changed%% *}" -gt 1000 ] 2>/dev/null; do
        past "$deadline" && fail "the window did not change within 15s"
        sleep 0.05
    done
}

# The window's client area at a desktop scale set by Xft.dpi, and the rain over all of it.
check_scale() {
    local dpi=$1 expected=$2
    start_display
    echo "Xft.dpi: $dpi" | xrdb -merge || fail "xrdb could not set Xft.dpi"
    start_program "$PROGRAM"
    [ "$(client_size)" = "$expected" ] || fail "client area $(client_size) at $dpi dpi, expected $expected"
    wait_for_rain 30 "$expected"
}

case "$SCENARIO" in
client-area)
    start_display
    start_program "$PROGRAM"
    [ "$(client_size)" = 545x336 ] || fail "client area is $(client_size), not 545x336"
    ;;
scale-120) check_scale 120 681x420 ;;
scale-144) check_scale 144 818x504 ;;
scale-192) check_scale 192 1090x672 ;;
small-screen)
    # The window manager leaves a window larger than the screen where it is; the program fits
    # it, frame and all, on the screen, and the grid fills the client area it then has.
    SCREEN_SIZE=320x200x24 start_display
    start_program "$PROGRAM"
    geometry=$(xwininfo -id "$WINDOW")
    frame=$(xwininfo -id "$(xwininfo -id "$WINDOW" -tree | awk '/Parent window id:/ { print $4 }')")
    frame_left=$(echo "$frame" | awk '/Absolute upper-left X:/ { print $4 }')
    frame_top=$(echo "$frame" | awk '/Absolute upper-left Y:/ { print $4 }')
    frame_width=$(echo "$frame" | awk '/Width:/ { print $2 }')
    frame_height=$(echo "$frame" | awk '/Height:/ { print $2 }')
    [ "$frame_left" -ge 0 ] && [ "$frame_top" -ge 0 ] && [ $((frame_left + frame_width)) -le 320 ] && [ $((frame_top + frame_height)) -le 200 ] \
        || fail "the window's frame is not on the 320x200 screen: $frame"
    size=$(client_size)
    [ "${size%x*}" -lt 320 ] && [ "${size#*x}" -lt 200 ] || fail "client area $size does not fit the screen"
    wait_for_rain 30 "$size"
    ;;
screen-smaller-than-a-cell)
    # A 320x20 screen leaves a client area lower than one cell: start-up fails with the error
    # report, whose box is closed here as a user would.
    SCREEN_SIZE=320x20x24 start_display
    "$PROGRAM" 2>"$WORK_DIR/stderr.txt" &
    PROGRAM_PID=$!
    wait_until 30 sh -c 'wmctrl -l | grep -q " tavrel$"' || fail "no error box appeared: $(cat "$WORK_DIR/stderr.txt")"
    grep -q '^tavrel: Subscript out of range$' "$WORK_DIR/stderr.txt" || fail "stderr says: $(cat "$WORK_DIR/stderr.txt")"
    wmctrl -c tavrel
    expect_exit 5 1
    ;;
signal-takes-the-box-away)
    # A signal while the start-up error box is shown ends the program and the box with it.
    SCREEN_SIZE=320x20x24 start_display
    for signal in TERM INT HUP; do
        # Started with SIGINT at its default, as from a terminal: a background job ignores it.
        python3 -c 'import os, signal, sys; signal.signal(signal.SIGINT, signal.SIG_DFL); os.execv(sys.argv[1], sys.argv[1:])' "$PROGRAM" 2>"$WORK_DIR/stderr.txt" &
        PROGRAM_PID=$!
        wait_until 30 sh -c 'wmctrl -l | grep -q " tavrel$"' || fail "no error box appeared: $(cat "$WORK_DIR/stderr.txt")"
        kill -"$signal" "$PROGRAM_PID"
        wait_until 10 program_ended || fail "SIG$signal did not end the program"
        wait "$PROGRAM_PID" 2>/dev/null
        PROGRAM_PID=
        wait_until 10 sh -c '! wmctrl -l | grep -q " tavrel$"' || fail "SIG$signal left the error box on screen"
    done
    ;;
no-display)
    # Nothing to show a window on: the error report on stderr and status 1 at once, never a
    # program running unseen. The screen that does not exist is one of a live display.
    start_display
    for display in "" ":$((${DISPLAY#:} + 50))" garbage "$DISPLAY.5"; do
        DISPLAY=$display timeout 5 "$PROGRAM" 2>"$WORK_DIR/stderr.txt" &
        PROGRAM_PID=$!
        expect_exit 10 1
        grep -q "^tavrel: Couldn't open the display: " "$WORK_DIR/stderr.txt" || fail "DISPLAY='$display': stderr says $(cat "$WORK_DIR/stderr.txt")"
    done
    # A display that refuses the program: one that asks for a cookie the program does not have.
    locked=$((${DISPLAY#:} + 51))
    xauth -f "$WORK_DIR/cookie" add ":$locked" . "$(mcookie)"
    Xvfb ":$locked" -auth "$WORK_DIR/cookie" -nolisten tcp -noreset >/dev/null 2>&1 &
    LOCKED_PID=$!
    trap 'kill "$LOCKED_PID" 2>/dev/null; stop_display' EXIT
    wait_until 10 env DISPLAY=":$locked" XAUTHORITY="$WORK_DIR/cookie" xdpyinfo || fail "the locked display did not start"
    DISPLAY=":$locked" XAUTHORITY=/dev/null timeout 5 "$PROGRAM" 2>"$WORK_DIR/stderr.txt" &
    PROGRAM_PID=$!
    expect_exit 10 1
    kill "$LOCKED_PID"
    grep -q "^tavrel: Couldn't open the display: " "$WORK_DIR/stderr.txt" || fail "refused: stderr says $(cat "$WORK_DIR/stderr.txt")"
    ;;
few-descriptors-named)
    # With too few file descriptors the libraries fail in their own words ("x11 not available",
    # "no font is installed"); the report names the real cause.
    start_display
    for limit in 4 5; do
        python3 -c 'import os, resource, sys; os.closerange(3, 65536); resource.setrlimit(resource.RLIMIT_NOFILE, (int(sys.argv[1]),) * 2); os.execv(sys.argv[2], sys.argv[2:])' \
            "$limit" "$PROGRAM" 2>"$WORK_DIR/stderr.txt" &
        PROGRAM_PID=$!
        expect_exit 5 1
        grep -q "^tavrel: Couldn't .*: Too many open files$" "$WORK_DIR/stderr.txt" || fail "with $limit descriptors stderr says $(cat "$WORK_DIR/stderr.txt")"
    done
    ;;
stale-font-cache-named)
    # A font cache written while the font's folder was empty, and never renewed since the folder
    # looks unchanged: the font is on disk, and the report says to rebuild the cache.
    start_display
    mkdir -p "$WORK_DIR/fonts" "$WORK_DIR/cache"
    cat >"$WORK_DIR/fonts.conf" <<CONF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig><dir>$WORK_DIR/fonts</dir><cachedir>$WORK_DIR/cache</cachedir></fontconfig>
CONF
    font=$(fc-match -f '%{file}' 'DejaVu Sans')
    export FONTCONFIG_FILE=$WORK_DIR/fonts.conf
    touch -d 2020-01-01 "$WORK_DIR/fonts"
    fc-cache "$WORK_DIR/fonts" || fail "fc-cache could not write the cache"
    cp "$font" "$WORK_DIR/fonts/DejaVuSans.ttf" || fail "no DejaVu Sans to copy"
    touch -d 2020-01-01 "$WORK_DIR/fonts"
    "$PROGRAM" 2>"$WORK_DIR/stderr.txt" &
    PROGRAM_PID=$!
    wait_until 30 sh -c 'wmctrl -l | grep -q " tavrel$"' || fail "no error box appeared: $(cat "$WORK_DIR/stderr.txt")"
    grep -qF "tavrel: Couldn't find the window font DejaVu Sans: it is installed ($WORK_DIR/fonts/DejaVuSans.ttf) but fontconfig's cache does not list it: rebuild the cache with fc-cache -f" "$WORK_DIR/stderr.txt" \
        || fail "stderr says: $(cat "$WORK_DIR/stderr.txt")"
    wmctrl -c tavrel
    expect_exit 5 1
    ;;
display-lost)
    start_display
    start_program "$PROGRAM"
    kill -9 "$XVFB_PID"
    XVFB_PID=
    expect_exit 10 1
    grep -q '^tavrel: The display closed: ' "$WORK_DIR/stderr.txt" || fail "stderr says $(cat "$WORK_DIR/stderr.txt")"
    ;;
letter-ends | escape-ends | shift-alone-ends)
    start_display
    start_program "$PROGRAM"
    key=$(case "$SCENARIO" in letter-ends) echo a ;; escape-ends) echo Escape ;; *) echo Shift_L ;; esac)
    xdotool key "$key"
    expect_exit 10 0
    ;;
dead-and-compose-keys-end)
    # Keys the input method takes for itself (the dead keys of German, French and international
    # layouts, Compose) end the program like any other, in a UTF-8 locale and in plain C.
    start_display
    xmodmap -e "keycode 48 = dead_acute dead_acute" -e "keycode 49 = dead_circumflex dead_grave" -e "keycode 135 = Multi_key" \
        || fail "xmodmap could not set the keys"
    for locale in C.UTF-8 C; do
        for key in dead_acute dead_circumflex dead_grave Multi_key; do
            LANG=$locale LC_ALL=$locale start_program "$PROGRAM"
            xdotool key "$key"
            expect_exit 10 0
        done
    done
    ;;
unmapped-keys-end)
    # Keys that SDL has no scancode for reach the window all the same, and end the program.
    start_display
    for key in XF86WLAN F35; do
        start_program "$PROGRAM"
        xdotool key "$key"
        expect_exit 10 0
    done
    ;;
remapped-window-keeps-the-keys)
    # Without a window manager nobody gives the focus back to a window mapped again but the
    # window itself.
    NO_WINDOW_MANAGER=1 start_display
    start_program "$PROGRAM"
    xdotool windowunmap --sync "$WINDOW"
    xdotool windowmap --sync "$WINDOW"
    wait_until 15 sh -c "[ \"\$(xdotool getwindowfocus)\" = $WINDOW ]" || fail "the window mapped again has no focus"
    xdotool key a
    expect_exit 10 0
    ;;
focus-left-to-the-manager)
    # A window manager that keeps the focus where the user types: the window mapped again (a
    # workspace switch) does not take it, and the keys typed elsewhere do not end the rain.
    OPENBOX_CONFIG=$(dirname "$0")/openbox/no-focus-on-map.xml start_display
    start_program "$PROGRAM"
    xmessage -name typing-here "another program" &
    OTHER_PID=$!
    trap 'kill "$OTHER_PID" 2>/dev/null; stop_display' EXIT
    wait_until 15 xdotool search --onlyvisible --name '^typing-here$' || fail "the other window did not appear"
    other=$(xdotool search --onlyvisible --name '^typing-here$' | head -1)
    xdotool windowactivate --sync "$other"
    xdotool windowunmap --sync "$WINDOW"
    xdotool windowmap --sync "$WINDOW"
    wait_for_new_frame
    [ "$(xdotool getwindowfocus)" = "$other" ] || fail "the window mapped again took the focus"
    xdotool key a
    wait_for_new_frame
    program_running || fail "a key typed in another window ended the program"
    xdotool windowactivate --sync "$WINDOW"
    xdotool key a
    expect_exit 10 0
    ;;
minimised-window-rains-on-restore)
    # A minimised window keeps its frames without drawing them; restored, it shows the rain
    # again, frame after frame.
    start_display
    start_program "$PROGRAM"
    xdotool windowminimize --sync "$WINDOW"
    wait_until 15 sh -c "xprop -id $WINDOW WM_STATE | grep -q 'window state: Iconic'" || fail "the window was not minimised"
    xdotool windowactivate --sync "$WINDOW"
    wait_for_rain 30 545x336
    wait_for_new_frame
    xdotool key a
    expect_exit 10 0
    ;;
second-screen)
    # DISPLAY names screen 1: the window opens there, rains, and takes the keys.
    SECOND_SCREEN=1024x768x24 NO_WINDOW_MANAGER=1 start_display
    first_screen=$DISPLAY.0
    export DISPLAY=$DISPLAY.1
    start_program "$PROGRAM"
    xwininfo -root -tree | grep -q '"Form1"' || fail "the window is not on screen 1"
    ! DISPLAY=$first_screen xwininfo -root -tree | grep -q '"Form1"' || fail "the window is on screen 0"
    wait_for_rain 30 545x336
    xdotool key a
    expect_exit 10 0
    ;;
depth-15 | depth-16 | depth-30)
    # Exactly black, and the head colour as exactly as the depth holds it: red and blue within
    # one step of 5 bits (8 in 255) of 100 at 15 and 16 bits, exact at 30. Nothing with red but
    # the head's mixes.
    SCREEN_SIZE=640x480x${SCENARIO#depth-} start_display
    start_program "$PROGRAM"
    tolerance=$(case "$SCENARIO" in depth-30) echo 0 ;; *) echo 4 ;; esac)
    deadline=$(deadline_after 30)
    until import -window "$WINDOW" -depth 8 "$WORK_DIR/shot.png" 2>/dev/null \
        && colours=$(convert "$WORK_DIR/shot.png" -format %c histogram:info:- | grep -o '([0-9]*,[0-9]*,[0-9]*' | tr -d '(') \
        && echo "$colours" | grep -qx '0,0,0' \
        && echo "$colours" | awk -F, -v t="$tolerance" '$2 == 255 && $1 == $3 && $1 >= 100 - t && $1 <= 100 + t { found = 1 } END { exit !found }' \
        && ! echo "$colours" | awk -F, '$1 != $3 || $1 > 104 { bad = 1 } END { exit !bad }'; do
        past "$deadline" && fail "no exact black and head colour at ${SCENARIO#depth-} bits: $(echo "$colours" | sort -t, -k1nr | head -5)"
        sleep 0.1
    done
    xdotool key a
    expect_exit 10 0
    ;;
click-storm-loses-no-key)
    # Thousands of clicks, then one key: the key still ends the program at once, and the clicks
    # cost no memory.
    start_display
    start_program "$PROGRAM"
    before=$(awk '/VmRSS/ { print $2 }' "/proc/$PROGRAM_PID/status")
    xdotool mousemove --window "$WINDOW" 200 150 click --repeat 20000 --delay 0 1
    after=$(awk '/VmRSS/ { print $2 }' "/proc/$PROGRAM_PID/status")
    [ $((after - before)) -lt 10240 ] || fail "resident memory grew from $before kB to $after kB over the clicks"
    xdotool key a
    expect_exit 10 0
    ;;
mouse-does-not-end)
    start_display
    start_program "$PROGRAM"
    xdotool mousemove --window "$WINDOW" 100 100 click 1 mousemove --window "$WINDOW" 300 200 click 3
    # Frames drawn after the clicks show that the program has gone past them.
    wait_for_new_frame
    program_running || fail "a mouse click ended the program"
    xdotool key q
    expect_exit 10 0
    ;;
outside-resize | outside-resize-without-shared-memory)
    # Without a window manager nothing keeps the window at its size: resized from outside, it
    # shows the rain unsheared, and background wherever the image does not reach. Without
    # shared memory (a display over the network) SDL's framebuffer is plain memory, often made
    # again at the same address.
    [ "$SCENARIO" = outside-resize-without-shared-memory ] && export XVFB_OPTIONS="-extension MIT-SHM"
    NO_WINDOW_MANAGER=1 start_display
    start_program "$PROGRAM"
    for size in 546x335 600x400 545x336; do
        xdotool windowsize "$WINDOW" "${size%x*}" "${size#*x}"
        wait_until 15 sh -c "[ \"\$(xwininfo -id $WINDOW | awk '/Width:/ { w = \$2 } /Height:/ { h = \$2 } END { print w \"x\" h }')\" = $size ]" \
            || fail "the window was not resized to $size"
        wait_for_rain 30 "$size"
        # Sheared, the rows of the image run on into the column past its width.
        for shot in 1 2 3; do
            import -window "$WINDOW" "$WORK_DIR/resized.png"
            beyond=0 below=0
            [ "${size%x*}" -gt 545 ] && beyond=$(convert "$WORK_DIR/resized.png" -crop "+545+0" +repage -format '%[fx:maxima]' info:)
            [ "${size#*x}" -gt 336 ] && below=$(convert "$WORK_DIR/resized.png" -crop "+0+336" +repage -format '%[fx:maxima]' info:)
            [ "$beyond" = 0 ] && [ "$below" = 0 ] || fail "ink outside the image at $size: $beyond right of it, $below below it"
        done
    done
    xdotool key a
    expect_exit 10 0
    ;;
destroyed-window-ends | destroyed-window-ends-without-manager)
    # Another client destroys the window (a session manager, a crashing window manager): the
    # program ends, as when the window is closed. SDL's own teardown of such a window waited
    # for an unmapping now and then, so it is tried a few times; the deadline that ends a
    # teardown that waits too long (SIGALRM a second on) must never be what ends it.
    [ "$SCENARIO" = destroyed-window-ends-without-manager ] && export NO_WINDOW_MANAGER=1
    start_display
    for attempt in 1 2 3 4 5; do
        start_program strace -f -qq -e trace=none -e signal=SIGALRM -o "$WORK_DIR/signals.txt" "$PROGRAM"
        xdotool windowclose "$WINDOW"
        expect_exit 10 0
        ! grep -q SIGALRM "$WORK_DIR/signals.txt" || fail "the teardown waited until the deadline ended it"
    done
    ;;
signals-end | signals-end-without-manager)
    # SIGTERM and SIGINT end the running program within a second, status 0 as a close request.
    [ "$SCENARIO" = signals-end-without-manager ] && export NO_WINDOW_MANAGER=1
    start_display
    for signal in TERM INT; do
        python3 -c 'import os, signal, sys; signal.signal(signal.SIGINT, signal.SIG_DFL); os.execv(sys.argv[1], sys.argv[1:])' "$PROGRAM" 2>"$WORK_DIR/stderr.txt" &
        PROGRAM_PID=$!
        wait_until 30 xdotool search --onlyvisible --name '^Form1$' || fail "no window: $(program_state)"
        kill -"$signal" "$PROGRAM_PID"
        # Status 0 is the close request's: a forced end at the deadline says 128 + the signal.
        expect_exit 10 0
    done
    ;;
signal-forced-end)
    # A program whose display stops answering cannot reach its close request: the deadline
    # ends it a second after SIGTERM, with 143 (128 + 15), so that a supervisor can tell.
    start_display
    start_program "$PROGRAM"
    kill -STOP "$XVFB_PID"
    sleep 0.2
    kill -TERM "$PROGRAM_PID"
    wait_until 10 program_ended
    kill -CONT "$XVFB_PID"
    expect_exit 1 143
    ;;
close-ends)
    start_display
    start_program "$PROGRAM"
    wmctrl -c Form1
    expect_exit 10 0
    ;;
glyphs-made-before-the-ticks)
    # The glyphs of every size the rain prints in are made while the window is shown, before
    # the timers can fall due: a frame that made them would stall and merge the ticks behind it.
    start_display
    made=$(timeout 60 gdb -batch -x "$(dirname "$0")/glyphs_before_ticks.gdb" "$PROGRAM" 2>&1 | grep -o 'glyphs made in frames: [0-9]*')
    [ "$made" = "glyphs made in frames: 0" ] || fail "${made:-gdb did not reach the first frame}"
    ;;
rain-visible)
    # Rain in every quarter of the window, nothing but greens and black, and a frame later
    # another rain.
    start_display
    start_program "$PROGRAM"
    wait_for_rain 30 545x336
    wait_for_new_frame
    check_rain_screenshot "$WORK_DIR/after.png" 545x336
    xdotool key space
    expect_exit 10 0
    ;;
*)
    fail "unknown scenario $SCENARIO"
    ;;
esac
echo "PASS: $SCENARIO"
