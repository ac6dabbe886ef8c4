# Helpers for the end-to-end tests on Wayland: a private headless sway, the real program started
# on it, and its view read through sway's IPC. Sourced by wayland_test.sh, after session.sh.

# Sway will not run as root, so sway, the program and the tools that talk to sway all run as
# nobody, with a runtime folder of their own.
RUNTIME_DIR=$(mktemp -d /tmp/tavrel-wayland.XXXXXX)
chown nobody:nogroup "$RUNTIME_DIR"
chmod 700 "$RUNTIME_DIR"

# NOBODY: the command prefix that runs what follows as nobody, in an environment of its own with
# the sway's names once it runs. Used directly for what runs in the background, so that $! is
# the process itself and not a shell around it.
set_nobody() {
    NOBODY=(setpriv --reuid=nobody --regid=nogroup --clear-groups
        env -i PATH=/usr/bin:/bin HOME="$RUNTIME_DIR" XDG_RUNTIME_DIR="$RUNTIME_DIR"
        ${WAYLAND_NAME:+WAYLAND_DISPLAY="$WAYLAND_NAME"} ${SWAYSOCK:+SWAYSOCK="$SWAYSOCK"})
}
set_nobody
as_nobody() { "${NOBODY[@]}" "$@"; }

stop_sway() {
    [ -n "${PROGRAM_PID:-}" ] && kill "$PROGRAM_PID" 2>/dev/null
    [ -n "${SWAY_PID:-}" ] && kill "$SWAY_PID" 2>/dev/null
    stop_display
    rm -rf "$RUNTIME_DIR"
}
trap stop_sway EXIT

# SWAY_SCALE gives the output's scale (1 unless set), SWAY_MODE its pixels (1920x1080 unless set).
# No XWayland: the program has to open natively.
start_sway() {
    # A sway with XWayland would make this folder its own if it were missing, and a later Xvfb
    # could not use it.
    if [ ! -d /tmp/.X11-unix ]; then
        mkdir -p /tmp/.X11-unix && chmod 1777 /tmp/.X11-unix
    fi
    cat >"$RUNTIME_DIR/config" <<CONFIG
xwayland disable
output HEADLESS-1 mode ${SWAY_MODE:-1920x1080} scale ${SWAY_SCALE:-1}
default_border normal
CONFIG
    chown nobody:nogroup "$RUNTIME_DIR/config"
    "${NOBODY[@]}" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c "$RUNTIME_DIR/config" >"$WORK_DIR/sway.txt" 2>&1 &
    SWAY_PID=$!
    wait_until 15 sh -c "ls '$RUNTIME_DIR' | grep -q '^sway-ipc' && ls '$RUNTIME_DIR' | grep -qx 'wayland-[0-9]*'" || fail "sway did not start: $(tail -5 "$WORK_DIR/sway.txt")"
    SWAYSOCK=$(ls "$RUNTIME_DIR"/sway-ipc.* | head -1)
    WAYLAND_NAME=$(ls "$RUNTIME_DIR" | grep -x 'wayland-[0-9]*' | head -1)
    set_nobody
    wait_until 15 as_nobody swaymsg -t get_outputs || fail "sway does not answer"
    reach_program
}

# The program runs as nobody too: from a copy where its build cannot be reached.
reach_program() {
    if ! as_nobody test -x "$PROGRAM"; then
        cp "$PROGRAM" "$RUNTIME_DIR/tavrel" && chmod 755 "$RUNTIME_DIR/tavrel"
        PROGRAM=$RUNTIME_DIR/tavrel
    fi
}

# A headless Weston instead, at the scale WESTON_SCALE gives (1 unless set): a compositor that
# draws no window frames. --debug lets weston-screenshooter take pictures.
start_weston() {
    "${NOBODY[@]}" weston --backend=headless-backend.so --use-pixman --socket=wayland-weston --width=1920 --height=1080 \
        --scale="${WESTON_SCALE:-1}" --idle-time=0 --debug >"$WORK_DIR/weston.txt" 2>&1 &
    SWAY_PID=$!
    wait_until 15 test -S "$RUNTIME_DIR/wayland-weston" || fail "weston did not start: $(tail -5 "$WORK_DIR/weston.txt")"
    WAYLAND_NAME=wayland-weston
    set_nobody
    reach_program
}

# A picture of Weston's whole output, left in the file given.
weston_picture() {
    rm -f "$RUNTIME_DIR"/wayland-screenshot-*.png
    (cd "$RUNTIME_DIR" && as_nobody weston-screenshooter) >/dev/null 2>&1 || return 1
    mv "$RUNTIME_DIR"/wayland-screenshot-*.png "$1" 2>/dev/null
}

# The program's view: "FIELD=VALUE" lines (name, app_id, shell, type, floating, x, y, width,
# height: the client area in logical pixels), nothing while there is none.
view_facts() {
    as_nobody swaymsg -t get_tree | python3 -c '
import json, sys
def views(node, floating=False):
    if node.get("pid") is not None and node.get("name") == "Form1":
        yield node, floating
    for child in node.get("nodes", []):
        yield from views(child)
    for child in node.get("floating_nodes", []):
        yield from views(child, True)
for view, floating in views(json.load(sys.stdin)):
    rect, inner = view["rect"], view["window_rect"]
    facts = dict(name=view["name"], app_id=view.get("app_id"), shell=view.get("shell"), type=view["type"],
        floating="yes" if floating else "no", x=rect["x"] + inner["x"], y=rect["y"] + inner["y"], width=inner["width"], height=inner["height"])
    print("\n".join(f"{key}={value}" for key, value in facts.items()))
    break'
}
view_fact() { view_facts | sed -n "s/^$1=//p"; }
view_shown() { [ -n "$(view_facts)" ]; }

# Starts the program as nobody on the sway (more environment first, as "NAME=VALUE" words) and
# waits for its view.
start_wayland_program() {
    "${NOBODY[@]}" "$@" "$PROGRAM" 2>"$WORK_DIR/stderr.txt" &
    PROGRAM_PID=$!
    wait_until "${WINDOW_WAIT:-30}" view_shown || fail "no view named Form1 appeared; $(program_state)"
}

# Types keys into the focused view, each after 300 ms: sooner, the key can come before the seat
# has a keyboard for it.
type_keys() { as_nobody wtype -s 300 "$@"; }

# A picture of the client area in the output's pixels.
grab_client_area() {
    local geometry
    geometry="$(view_fact x),$(view_fact y) $(view_fact width)x$(view_fact height)"
    as_nobody grim -g "$geometry" - >"$1" || fail "grim could not take $geometry"
}
