# Helpers for end-to-end tests: a private Xvfb display with a window manager, the real program
# started on it, and bounded polling instead of fixed sleeps. Sourced by the test scripts.

set -u
# The program opens its window on X11 here, whatever session the tests are run from: on a Wayland
# desktop it would otherwise open natively there.
unset WAYLAND_DISPLAY WAYLAND_SOCKET SDL_VIDEODRIVER

fail() { echo "FAIL: $*" >&2; exit 1; }

# The moment the whole seconds given from now, in milliseconds, and whether it has come.
# Bash's SECONDS counts whole seconds: a deadline of SECONDS + 1 may come a moment after it is set.
deadline_after() { local now=${EPOCHREALTIME//[.,]/}; echo $((now / 1000 + $1 * 1000)); }
past() { local now=${EPOCHREALTIME//[.,]/}; [ $((now / 1000)) -ge "$1" ]; }

# Polls a command every 50 ms until it succeeds or the seconds run out.
wait_until() {
    local seconds=$1; shift
    local deadline
    deadline=$(deadline_after "$seconds")
    until "$@" >/dev/null 2>&1; do
        past "$deadline" && return 1
        sleep 0.05
    done
}

# SCREEN_SIZE gives the screen, 1280x800x24 unless set; SECOND_SCREEN adds a screen 1 of that
# size; NO_WINDOW_MANAGER=1 leaves the manager out; OPENBOX_CONFIG gives the manager's settings;
# XVFB_PREFIX runs the server under a command of its own (valgrind, for counting its work);
# XVFB_OPTIONS gives it more options.
start_display() {
    local fifo
    fifo=$(mktemp -u) && mkfifo "$fifo"
    # Without -noreset a server with no window manager resets whenever its last client leaves,
    # a poll of the tests' own, say, and drops a connection being made meanwhile: the program's.
    ${XVFB_PREFIX:-} Xvfb -displayfd 3 -screen 0 "${SCREEN_SIZE:-1280x800x24}" ${SECOND_SCREEN:+-screen 1 "$SECOND_SCREEN"} -nolisten tcp -noreset ${XVFB_OPTIONS:-} 3>"$fifo" >/dev/null 2>&1 &
    XVFB_PID=$!
    read -r -t 30 display_number <"$fifo" || fail "Xvfb did not start"
    rm -f "$fifo"
    export DISPLAY=":$display_number"
    [ "${NO_WINDOW_MANAGER:-}" = 1 ] && return
    # On a loaded machine openbox now and then exits at start before it owns the screen; it is
    # started again then.
    local attempt
    for attempt in 1 2 3; do
        openbox ${OPENBOX_CONFIG:+--config-file "$OPENBOX_CONFIG"} >"$WORK_DIR/openbox.txt" 2>&1 &
        WM_PID=$!
        wait_until 30 sh -c "wmctrl -m || ! kill -0 $WM_PID" && wmctrl -m >/dev/null 2>&1 && return
        kill "$WM_PID" 2>/dev/null
    done
    fail "the window manager did not start: $(cat "$WORK_DIR/openbox.txt")"
}

stop_display() {
    [ -n "${PROGRAM_PID:-}" ] && kill "$PROGRAM_PID" 2>/dev/null
    [ -n "${WM_PID:-}" ] && kill "$WM_PID" 2>/dev/null
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$WORK_DIR"
}
trap stop_display EXIT

# Starts the program (a command and its arguments) and waits for its window, leaving its id in
# WINDOW. WINDOW_WAIT gives the seconds to wait, 30 unless set (a loaded host may take long).
start_program() {
    "$@" 2>"$WORK_DIR/stderr.txt" &
    PROGRAM_PID=$!
    wait_until "${WINDOW_WAIT:-30}" xdotool search --onlyvisible --name '^Form1$' || fail "no visible window named Form1 appeared; $(program_state)"
    WINDOW=$(xdotool search --onlyvisible --name '^Form1$' | head -1)
    # Only a window manager activates windows; without one the wait would only run out.
    [ "${NO_WINDOW_MANAGER:-}" = 1 ] || wait_until 15 xdotool windowactivate --sync "$WINDOW"
}

program_running() { kill -0 "$PROGRAM_PID" 2>/dev/null; }

# What a failed start leaves to go on: whether the program runs, what it said, its windows.
program_state() {
    if program_running; then
        echo "the program runs ($(awk '/^State:/ { print $2, $3 }' "/proc/$PROGRAM_PID/status" 2>/dev/null))"
    else
        wait "$PROGRAM_PID"
        echo "the program ended with status $?"
    fi
    echo "stderr: $(cat "$WORK_DIR/stderr.txt" 2>/dev/null)"
    echo "windows: $(xwininfo -root -tree 2>&1 | grep -E 'Form1|tavrel' | head -5)"
}
program_ended() { ! program_running; }

# Waits for the program to end within the seconds given and checks its exit status.
expect_exit() {
    local seconds=$1 status=$2
    wait_until "$seconds" program_ended || fail "the program was still running after ${seconds}s"
    wait "$PROGRAM_PID"
    local actual=$?
    PROGRAM_PID=
    [ "$actual" -eq "$status" ] || fail "exit status $actual, expected $status; stderr: $(cat "$WORK_DIR/stderr.txt" 2>/dev/null)"
    # Ordinary running meets no refusal of the display's that it has to tell.
    ! grep -q "refused a request" "$WORK_DIR/stderr.txt" 2>/dev/null || fail "$(cat "$WORK_DIR/stderr.txt")"
}

# A screenshot of the rain: the given size, the head colour and many greens, nothing but greens
# and black, and ink in every quarter.
check_rain_screenshot() {
    local image=$1 expected_size=$2
    local size colours greens others lit
    size=$(identify -format '%wx%h' "$image")
    [ "$size" = "$expected_size" ] || fail "$image is $size"
    # One "red,green,blue" a line, from the histogram's leading tuples.
    colours=$(convert "$image" -format %c histogram:info:- | grep -o '^ *[0-9]*: ([0-9]*,[0-9]*,[0-9]*' | sed 's/.*(//')
    echo "$colours" | grep -qx '100,255,100' || fail "no head colour in $image"
    greens=$(echo "$colours" | grep -c '^0,[1-9][0-9]*,0$' || true)
    [ "$greens" -ge 20 ] || fail "only $greens greens in $image"
    others=$(echo "$colours" | awk -F, '$1 != $3 || $1 > 100' | head -3)
    [ -z "$others" ] || fail "colours other than greens in $image: $others"
    local half_width=$(( ${expected_size%x*} / 2 )) half_height=$(( ${expected_size#*x} / 2 ))
    for corner in +0+0 +$half_width+0 +0+$half_height +$half_width+$half_height; do
        lit=$(convert "$image" -crop "${half_width}x${half_height}$corner" +repage -format '%[fx:mean>0.001]' info:)
        [ "$lit" = 1 ] || fail "the quarter at $corner of $image is dark"
    done
}

# Screenshots the window until it shows the rain (check_rain_screenshot), for up to the seconds
# given; the last screenshot is left in $WORK_DIR/rain.png.
wait_for_rain() {
    local seconds=$1 size=$2
    local deadline
    deadline=$(deadline_after "$seconds")
    until import -window "$WINDOW" "$WORK_DIR/rain.png" 2>/dev/null && (check_rain_screenshot "$WORK_DIR/rain.png" "$size") 2>"$WORK_DIR/rain.txt"; do
        past "$deadline" && fail "no rain within ${seconds}s: $(cat "$WORK_DIR/rain.txt" 2>/dev/null)"
        sleep 0.1
    done
}

# The client area of the window, as "WIDTHxHEIGHT".
client_size() {
    xwininfo -id "$WINDOW" | awk '/Width:/ { width = $2 } /Height:/ { height = $2 } END { print width "x" height }'
}

WORK_DIR=$(mktemp -d)
