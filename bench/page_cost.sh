#!/bin/bash
# The page's cost beside the floor page's in headless Chromium, with and without SIMD, at device
# scale 1 and 2 (545 x 336 and 1090 x 672), in interleaved rounds; and the page's size compressed.
# Builds the two pages first (build-web/, build-web-nosimd/).
# Usage: bench/page_cost.sh [SECONDS [ROUNDS]]
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/../tools/setup.sh"
SECONDS_EACH=${1:-5}
ROUNDS=${2:-5}
build_page build-web -DTAVREL_BUILD_TESTS=OFF >/dev/null
build_page build-web-nosimd -DTAVREL_WASM_SIMD=OFF -DTAVREL_BUILD_TESTS=OFF >/dev/null

SITE=$(mktemp -d)
trap 'kill "$SERVER" 2>/dev/null; rm -rf "$SITE"' EXIT
ln -s "$PROJECT_DIR/build-web/page" "$SITE/simd"
ln -s "$PROJECT_DIR/build-web-nosimd/page" "$SITE/scalar"
ln -s "$PROJECT_DIR/bench/page" "$SITE/floor"
PORT=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server "$PORT" --bind 127.0.0.1 --directory "$SITE" >/dev/null 2>&1 &
SERVER=$!
sleep 1

echo "The page's files, each compressed with gzip -9:"
total=0
for file in "$PROJECT_DIR"/build-web/page/*; do
    size=$(gzip -9c "$file" | wc -c)
    total=$((total + size))
    printf '  %-28s %7d bytes (%d uncompressed)\n' "$(basename "$file")" "$size" "$(stat -c %s "$file")"
done
echo "  all: $total bytes"

URL=http://127.0.0.1:$PORT
node "$PROJECT_DIR/bench/page/page_cost.js" "$SECONDS_EACH" "$ROUNDS" \
    "simd=$URL/simd/" "scalar=$URL/scalar/" "floor=$URL/floor/floor.html"
