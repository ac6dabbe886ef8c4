#!/bin/bash
# Screenshots the real window under Xvfb at a desktop scale (Xft.dpi, 96 unless given).
# Usage: tools/window_screenshot.sh build/tavrel OUT.png [DPI]
set -u
. "$(dirname "$0")/../tests/e2e/session.sh"
start_display
echo "Xft.dpi: ${3:-96}" | xrdb -merge || fail "xrdb could not set Xft.dpi"
start_program "$1"
# Past the first frames, so that the rain has filled the window.
wait_for_rain 10 "$(client_size)"
sleep 2
import -window "$WINDOW" "$2" || fail "import could not take the screenshot"
xdotool key a
expect_exit 2 0
