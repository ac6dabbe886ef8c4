#!/bin/bash
# Screenshots the real window under Xvfb. Usage: tools/window_screenshot.sh build/tavrel OUT.png
set -u
. "$(dirname "$0")/../tests/e2e/session.sh"
start_display
start_program "$1"
sleep 3
import -window "$WINDOW" "$2" || fail "import could not take the screenshot"
xdotool key a
expect_exit 2 0
