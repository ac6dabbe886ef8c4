#!/bin/bash
# Makes the application icon from the program's own pixels: a frame of the rain drawn off screen
# by tavrel-trace, framed dark, at the sizes desktops and Windows ask for.
# Usage: tools/make_icon.sh build/tavrel-trace   (writes app/icons/)
set -euo pipefail
TRACE=$1
OUT=$(cd "$(dirname "$0")/.." && pwd)/app/icons
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
"$TRACE" --client 112 112 --steps 60 --state 4711 --png "$WORK/rain.png" >/dev/null
for size in 16 32 48 64 128 256; do
    convert "$WORK/rain.png" -filter Lanczos -resize "$((size * 7 / 8))x$((size * 7 / 8))" \
        -bordercolor '#0a140a' -border "$((size / 16))" -resize "${size}x${size}!" \
        -define png:exclude-chunks=date,time -strip "$OUT/tavrel-$size.png"
done
convert "$OUT/tavrel-16.png" "$OUT/tavrel-32.png" "$OUT/tavrel-48.png" "$OUT/tavrel-256.png" "$OUT/tavrel.ico"
