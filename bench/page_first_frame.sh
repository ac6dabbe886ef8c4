#!/bin/bash
# When the page's first frame comes after its start, beside the floor page's (which fetches the
# same module and font, compiles and loads them, and shows one cleared image), at device scale 1
# and 2, in headless Chromium: medians of the rounds given (5 unless given). Builds the page first
# (build-web/).
# Usage: bench/page_first_frame.sh [ROUNDS]
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/../tools/setup.sh"
ROUNDS=${1:-5}
build_page build-web -DTAVREL_BUILD_TESTS=OFF >/dev/null
SITE=$(mktemp -d)
trap 'kill "$SERVER" 2>/dev/null; rm -rf "$SITE"' EXIT
ln -s "$PROJECT_DIR/build-web/page" "$SITE/page"
mkdir "$SITE/floor"
for file in floor_first.html floor_first.js floor.css; do ln -s "$PROJECT_DIR/bench/page/$file" "$SITE/floor/$file"; done
ln -s "$PROJECT_DIR"/build-web/page/tavrel.*.wasm "$SITE/floor/module.wasm"
ln -s "$PROJECT_DIR"/build-web/page/DejaVuSans-codepage.*.woff "$SITE/floor/font.woff"
PORT=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server "$PORT" --bind 127.0.0.1 --directory "$SITE" >/dev/null 2>&1 &
SERVER=$!
sleep 1
node "$PROJECT_DIR/bench/page/first_frame.js" "$ROUNDS" "page=http://127.0.0.1:$PORT/page/" "floor=http://127.0.0.1:$PORT/floor/floor_first.html"
