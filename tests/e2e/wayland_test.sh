#!/bin/bash
# End-to-end tests of the program's native window under a headless sway: the view, its scale,
# its keys and its end. Usage: wayland_test.sh PROGRAM SCENARIO

# Sway's own buffers and the shared memory of grim and wtype are files in /dev/shm, made as
# nobody. Where nobody cannot write there (a chroot that binds /dev without the tmpfs mounted on
# /dev/shm), the test runs in a mount namespace of its own, with a /dev/shm of its own. The mount
# holding /dev is made private there first, so that nothing is mounted on the system's; in a
# chroot the root is no mount point, which unshare's own --propagation private refuses.
if [ -z "${TAVREL_PRIVATE_SHM:-}" ] && ! setpriv --reuid=nobody --regid=nogroup --clear-groups test -w /dev/shm; then
    exec env TAVREL_PRIVATE_SHM=1 unshare --mount --propagation unchanged sh -c '
        { mount --make-rprivate /dev || mount --make-rprivate /; } 2>/dev/null || { echo "cannot make /dev private" >&2; exit 1; }
        mount -t tmpfs -o mode=1777 tmpfs /dev/shm && exec bash "$@"' sh "$0" "$@"
fi
. "$(dirname "$0")/session.sh"
. "$(dirname "$0")/wayland_session.sh"

PROGRAM=$1
SCENARIO=$2

# The fraction of neighbouring pixel columns, and of rows, that are equal, among those with ink:
# an image enlarged from half its pixels has every other pair equal, a sharp one next to none.
equal_neighbours() {
    local width height
    width=$(identify -format %w "$1")
    height=$(identify -format %h "$1")
    convert "$1" -depth 8 rgb:- | python3 -c '
import sys
width, height = int(sys.argv[1]), int(sys.argv[2])
data = sys.stdin.buffer.read()
rows = [data[y * width * 3:(y + 1) * width * 3] for y in range(height)]
columns = [bytes(b"".join(row[x * 3:x * 3 + 3] for row in rows)) for x in range(width)]
def share(lines):
    lit = [(a, b) for a, b in zip(lines, lines[1:]) if a.strip(b"\0") or b.strip(b"\0")]
    return sum(a == b for a, b in lit) / max(1, len(lit))
print(f"{share(columns):.3f} {share(rows):.3f}")' "$width" "$height"
}

expect_view() {
    local field=$1 expected=$2 actual
    actual=$(view_fact "$field")
    [ "$actual" = "$expected" ] || fail "the view's $field is '$actual', expected '$expected'"
}

case "$SCENARIO" in
view-at-scale-1 | view-at-scale-2)
    # The view sway knows: its title, shell, app id, floating for its fixed size, 545 x 336
    # logical pixels at either scale; at 2, the client area in twice the pixels, sharp, in the
    # rain's colours.
    scale=${SCENARIO##*-}
    SWAY_SCALE=$scale start_sway
    start_wayland_program
    expect_view name Form1
    expect_view shell xdg_shell
    expect_view app_id tavrel
    expect_view floating yes
    expect_view width 545
    expect_view height 336
    deadline=$(deadline_after 30)
    until grab_client_area "$WORK_DIR/rain.png" && (check_rain_screenshot "$WORK_DIR/rain.png" "$((545 * scale))x$((336 * scale))") 2>"$WORK_DIR/rain.txt"; do
        past "$deadline" && fail "no rain within 30s: $(cat "$WORK_DIR/rain.txt")"
        sleep 0.1
    done
    read -r columns rows < <(equal_neighbours "$WORK_DIR/rain.png")
    awk -v c="$columns" -v r="$rows" 'BEGIN { exit !(c < 0.1 && r < 0.1) }' || fail "equal neighbours: columns $columns, rows $rows (enlarged, not sharp)"
    type_keys a
    expect_exit 10 0
    ;;
every-key-ends)
    # Each of these keys alone ends the program with status 0: a letter, a lone modifier, a dead
    # key, Compose, and a key with no symbol at all.
    start_sway
    for key in "a" "-k Shift_L" "-k dead_acute" "-k Multi_key" "-k VoidSymbol"; do
        start_wayland_program
        # shellcheck disable=SC2086
        type_keys $key
        expect_exit 10 0 || fail "after $key"
    done
    ;;
keyboards-come-and-go)
    # Each wtype is a keyboard that comes, changes the modifiers and goes: the seat's keyboard
    # and keymap come and go with it, and no key was pressed. Then a key ends it.
    start_sway
    start_wayland_program
    for _ in 1 2 3; do
        as_nobody wtype -s 100 -M shift -m shift || fail "wtype failed"
    done
    sleep 1
    program_running || fail "it ended without a key: $(program_state)"
    type_keys a
    expect_exit 10 0
    ;;
kill-ends)
    # The compositor's close request ends it as a key does.
    start_sway
    start_wayland_program
    as_nobody swaymsg '[title="^Form1$"] kill' >/dev/null || fail "swaymsg kill failed"
    expect_exit 10 0
    ;;
compositor-lost)
    # The compositor gone: the error report says so, with status 1, at once.
    start_sway
    start_wayland_program
    kill -KILL "$SWAY_PID"
    expect_exit 10 1
    grep -q "^tavrel: The display closed: the connection to the Wayland compositor \"$WAYLAND_NAME\" was lost" "$WORK_DIR/stderr.txt" \
        || fail "stderr says $(cat "$WORK_DIR/stderr.txt")"
    ;;
drawn-at-the-scale-of-the-output-entered)
    # With outputs at 2 and 1, a window shown on the one at 1 is drawn at 1 in the end (the
    # first picture, before the compositor says where it is, is at the larger scale).
    SWAY_SCALE=2 start_sway
    as_nobody swaymsg create_output >/dev/null || fail "no second output"
    as_nobody swaymsg focus output HEADLESS-2 >/dev/null
    start_wayland_program WAYLAND_DEBUG=1
    wait_until 15 grep -q 'wl_surface@[0-9]*\.enter' "$WORK_DIR/stderr.txt" || fail "the window entered no output"
    wait_until 15 sh -c "grep -o 'create_buffer(new id wl_buffer@[0-9]*, [0-9]*, [0-9]*, [0-9]*' '$WORK_DIR/stderr.txt' | tail -1 | grep -q ', 545, 336\$'" \
        || fail "last buffers: $(grep -o 'create_buffer(.*' "$WORK_DIR/stderr.txt" | tail -2)"
    [ "$(grep -o 'set_buffer_scale([0-9]*)' "$WORK_DIR/stderr.txt" | tail -1)" = "set_buffer_scale(1)" ] || fail "not drawn at 1"
    expect_view width 545
    expect_view height 336
    type_keys a
    expect_exit 10 0
    ;;
fractional-output-drawn-at-the-integer-scale-above)
    # Sway offers a 150% output only as scale 2 to clients: the window is drawn at 2 and shrunk,
    # never enlarged, and keeps its logical size.
    SWAY_SCALE=1.5 start_sway
    start_wayland_program WAYLAND_DEBUG=1
    wait_until 15 grep -q 'set_buffer_scale(2)' "$WORK_DIR/stderr.txt" || fail "no buffer scale 2 set"
    grep -q 'create_buffer(new id wl_buffer@[0-9]*, [0-9]*, 1090, 672,' "$WORK_DIR/stderr.txt" || fail "no 1090 x 672 buffer"
    expect_view width 545
    expect_view height 336
    type_keys a
    expect_exit 10 0
    ;;
one-thread-and-memory-as-on-x11)
    # One thread, and the resident memory of the X11 window's give or take a few megabytes.
    start_display
    "$PROGRAM" 2>"$WORK_DIR/x11-stderr.txt" &
    X11_PID=$!
    start_sway
    start_wayland_program
    sleep 2
    threads=$(awk '/^Threads:/ { print $2 }' "/proc/$PROGRAM_PID/status")
    [ "$threads" = 1 ] || fail "$threads threads"
    native=$(awk '/^VmRSS:/ { print $2 }' "/proc/$PROGRAM_PID/status")
    x11=$(awk '/^VmRSS:/ { print $2 }' "/proc/$X11_PID/status")
    kill "$X11_PID"
    echo "resident: Wayland ${native} kB, X11 ${x11} kB"
    [ "$native" -le $((x11 + 8192)) ] || fail "resident ${native} kB against the X11 window's ${x11} kB"
    type_keys a
    expect_exit 10 0
    ;;
frames-shown-at-the-tick-rate-and-not-while-hidden)
    # Every frame is committed, at the frame timer's rate and never faster (a slow host may
    # give fewer); on a workspace out of sight no frame is, and back in sight they come again.
    start_sway
    start_wayland_program WAYLAND_DEBUG=1
    shown() { grep -c '\.attach(' "$WORK_DIR/stderr.txt"; }
    sleep 1
    first=$(shown) started=$EPOCHREALTIME
    sleep 3
    last=$(shown) ended=$EPOCHREALTIME
    span=$(awk -v a="$started" -v b="$ended" 'BEGIN { printf "%.2f", b - a }')
    rate=$(awk -v n="$((last - first))" -v s="$span" 'BEGIN { printf "%.1f", n / s }')
    echo "frames shown: $((last - first)) in ${span}s, ${rate} a second"
    awk -v r="$rate" 'BEGIN { exit !(r <= 64.5 && r >= 32) }' || fail "${rate} frames a second"
    as_nobody swaymsg '[title="^Form1$"] move container to workspace 2' >/dev/null
    sleep 1
    hidden=$(shown)
    sleep 2
    [ "$(shown)" = "$hidden" ] || fail "frames shown while out of sight"
    as_nobody swaymsg 'workspace 2' >/dev/null
    wait_until 10 sh -c "[ \$(grep -c '\\.attach(' '$WORK_DIR/stderr.txt') -gt $((hidden + 10)) ]" || fail "no frames once back in sight"
    type_keys a
    expect_exit 10 0
    ;;
display-choice)
    # WAYLAND_DISPLAY wins over DISPLAY; SDL_VIDEODRIVER forces either; an unreachable compositor
    # hands over to X11; with neither display the error names both.
    start_display
    start_sway
    x11_windows() { as_nobody DISPLAY="$DISPLAY" xdotool search --name '^Form1$' 2>/dev/null | wc -l; }
    start_wayland_program DISPLAY="$DISPLAY"
    [ "$(x11_windows)" = 0 ] || fail "an X11 window with both displays named"
    type_keys a
    expect_exit 10 0
    "${NOBODY[@]}" DISPLAY="$DISPLAY" SDL_VIDEODRIVER=x11 "$PROGRAM" 2>"$WORK_DIR/stderr.txt" &
    PROGRAM_PID=$!
    wait_until 30 sh -c "[ \$(xdotool search --onlyvisible --name '^Form1\$' | wc -l) -gt 0 ]" || fail "SDL_VIDEODRIVER=x11: no X11 window; $(program_state)"
    view_shown && fail "SDL_VIDEODRIVER=x11: a Wayland view"
    kill "$PROGRAM_PID"; wait "$PROGRAM_PID"; PROGRAM_PID=
    setpriv --reuid=nobody --regid=nogroup --clear-groups env -i PATH=/usr/bin:/bin HOME="$RUNTIME_DIR" XDG_RUNTIME_DIR="$RUNTIME_DIR" \
        WAYLAND_DISPLAY=nowhere DISPLAY="$DISPLAY" "$PROGRAM" 2>"$WORK_DIR/stderr.txt" &
    PROGRAM_PID=$!
    wait_until 30 sh -c "[ \$(xdotool search --onlyvisible --name '^Form1\$' | wc -l) -gt 0 ]" || fail "unreachable compositor: no X11 window; $(program_state)"
    kill "$PROGRAM_PID"; wait "$PROGRAM_PID"; PROGRAM_PID=
    for setting in "WAYLAND_DISPLAY=nowhere" "SDL_VIDEODRIVER=wayland WAYLAND_DISPLAY=nowhere DISPLAY=$DISPLAY" ""; do
        # shellcheck disable=SC2086
        setpriv --reuid=nobody --regid=nogroup --clear-groups env -i PATH=/usr/bin:/bin HOME="$RUNTIME_DIR" XDG_RUNTIME_DIR="$RUNTIME_DIR" $setting \
            timeout 5 "$PROGRAM" 2>"$WORK_DIR/stderr.txt" &
        PROGRAM_PID=$!
        expect_exit 10 1
        said=$(cat "$WORK_DIR/stderr.txt")
        case "$setting" in
        "") expected="tavrel: Couldn't open the display: neither WAYLAND_DISPLAY nor DISPLAY is set" ;;
        SDL*) expected="tavrel: Couldn't open the display: cannot connect to the Wayland compositor \"nowhere\": No such file or directory" ;;
        *) expected="tavrel: Couldn't open the display: cannot connect to the Wayland compositor \"nowhere\": No such file or directory, and DISPLAY is not set" ;;
        esac
        [ "$said" = "$expected" ] || fail "with '$setting': $said"
    done
    ;;
frame-drawn-where-the-compositor-draws-none)
    # Weston offers no server-side decorations: libdecor frames the window, its title bar right
    # above the client area of 545 x 336 logical pixels. Weston's pictures take the pixels'
    # unused top byte for alpha, and the program leaves it 0: the client area is the one
    # transparent rectangle, whatever it shows.
    WESTON_SCALE=2 start_weston
    "${NOBODY[@]}" "$PROGRAM" 2>"$WORK_DIR/stderr.txt" &
    PROGRAM_PID=$!
    framed() {
        weston_picture "$WORK_DIR/weston.png" && convert "$WORK_DIR/weston.png" -depth 8 rgba:- | python3 -c '
import sys
width, height = map(int, sys.argv[1:3])
data = sys.stdin.buffer.read()
clear = [i // 4 for i in range(3, len(data), 4) if data[i] == 0]
if not clear:
    sys.exit("no client area yet")
xs = [i % width for i in clear]
ys = [i // width for i in clear]
left, top, right, bottom = min(xs), min(ys), max(xs) + 1, max(ys) + 1
if (right - left, bottom - top) != (1090, 672) or len(clear) != 1090 * 672:
    sys.exit(f"the transparent area is {right - left} x {bottom - top}, {len(clear)} pixels")
strip = [data[(y * width + x) * 4:(y * width + x) * 4 + 3] for y in range(top - 40, top - 8) for x in range(left, right)]
mean = sum(sum(pixel) for pixel in strip) / (3 * len(strip))
if mean > 90:
    sys.exit(f"no title bar above the client area (mean {mean:.0f})")' "$(identify -format %w "$WORK_DIR/weston.png")" "$(identify -format %h "$WORK_DIR/weston.png")"
    }
    wait_until 30 framed || fail "no framed window: $(framed 2>&1); $(program_state)"
    kill -TERM "$PROGRAM_PID"
    expect_exit 10 0
    ;;
*)
    fail "unknown scenario $SCENARIO"
    ;;
esac
echo "PASS: $SCENARIO"
