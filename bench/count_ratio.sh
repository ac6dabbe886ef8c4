#!/bin/bash
# Instructions and first- and last-level cache misses per frame, counted by valgrind, which do not move with
# the host's load as timings do: the frame off screen (tavrel_frame_count, a fixed field and a
# fixed number of frames, under cachegrind), and in the window under Xvfb the real program and
# the floor of merely showing a frame (tavrel_floor), each with the X server under callgrind for a
# fixed stretch of their ticks, per frame shown; then the program-to-floor ratio.
# Usage: bench/count_ratio.sh BUILD_DIR [dpi...]   (SECONDS_COUNTED: 10 unless set)
set -u
BUILD=$1; shift
DPIS=${*:-96 192}
COUNTED=${SECONDS_COUNTED:-10}
SESSION="$(dirname "$0")/../tests/e2e/session.sh"
PARSE="$(dirname "$0")/valgrind_counts.py"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# "INSTRUCTIONS L1_MISSES LL_MISSES" per frame off screen: the difference of two runs, so that start-up,
# the font and the atlases drop out.
offscreen() {
    local dpi=$1 frames
    for frames in 20 120; do
        valgrind --tool=cachegrind --cache-sim=yes --LL=8388608,16,64 --cachegrind-out-file="$WORK/off.$frames" \
            "$BUILD/bench/tavrel_frame_count" "$dpi" "$frames" >/dev/null 2>&1 || { echo "cachegrind failed" >&2; exit 1; }
    done
    python3 "$PARSE" difference "$WORK/off.20" "$WORK/off.120" 100
}

# "INSTRUCTIONS L1_MISSES LL_MISSES" per frame shown in the window, of the command and the X server
# together, counted for COUNTED seconds once the command runs its frames (WAIT_FOR says how
# to tell).
in_window() {
    local dpi=$1 wait_for=$2; shift 2
    (
        . "$SESSION"
        XVFB_PREFIX="valgrind --tool=callgrind --cache-sim=yes --LL=8388608,16,64 --callgrind-out-file=$WORK/server.%p" NO_WINDOW_MANAGER=1 start_display
        echo "Xft.dpi: $dpi" | xrdb -merge
        WINDOW_WAIT=300 start_program valgrind --tool=callgrind --cache-sim=yes --LL=8388608,16,64 --callgrind-out-file="$WORK/run.%p" "$@"
        $wait_for
        callgrind_control -z "$PROGRAM_PID" >/dev/null; callgrind_control -z "$XVFB_PID" >/dev/null
        sleep "$COUNTED"
        callgrind_control -d "$PROGRAM_PID" >/dev/null; callgrind_control -d "$XVFB_PID" >/dev/null
        python3 "$PARSE" per-frame "$WORK/run.$PROGRAM_PID.1" SDL_UpdateWindowSurface "$WORK/server.$XVFB_PID.1"
    )
}
rain_shows() { wait_for_rain 300 "$(client_size)"; }
floor_runs() { sleep 5; }

printf '%-20s %12s %10s %10s | %12s %10s %10s | %12s %10s %10s | %s\n' scale "off-screen" L1 LL program L1 LL floor L1 LL "program / floor"
for dpi in $DPIS; do
    width=$(( (8175 * dpi + 720) / 1440 )); height=$(( (5040 * dpi + 720) / 1440 ))
    read -r off_ir off_l1 off_ll < <(offscreen "$dpi")
    read -r program_ir program_l1 program_ll < <(in_window "$dpi" rain_shows "$BUILD/tavrel")
    read -r floor_ir floor_l1 floor_ll < <(in_window "$dpi" floor_runs "$BUILD/bench/tavrel_floor" "$width" "$height")
    python3 "$PARSE" row "$dpi dpi (${width}x${height})" "$off_ir" "$off_l1" "$off_ll" "$program_ir" "$program_l1" "$program_ll" "$floor_ir" "$floor_l1" "$floor_ll"
done
