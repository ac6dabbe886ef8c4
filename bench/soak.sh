#!/bin/bash
# Runs the real program under Xvfb and prints its resident memory once a minute, then checks it
# still ends on a key. Usage: bench/soak.sh build/tavrel [minutes]
set -u
PROGRAM=$1
MINUTES=${2:-10}
. "$(dirname "$0")/../tests/e2e/session.sh"
start_display
start_program "$PROGRAM"
for minute in $(seq 1 "$MINUTES"); do
    sleep 60
    program_running || fail "the program ended by itself in minute $minute"
    echo "minute $minute: $(awk '/VmRSS/ {print $2, $3}' "/proc/$PROGRAM_PID/status")"
done
xdotool key a
expect_exit 2 0
echo "ended on a key after $MINUTES minutes"
