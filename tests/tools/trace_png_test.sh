#!/bin/bash
# tavrel-trace --png replaces only a regular file: a link is followed, a pipe or a device is
# written into. Usage: trace_png_test.sh TAVREL_TRACE
set -u
TRACE=$1
WORK_DIR=$(mktemp -d)
trap 'rm -rf "$WORK_DIR"' EXIT
cd "$WORK_DIR" || exit 1
fail() { echo "FAIL: $*" >&2; exit 1; }
draw() { "$TRACE" --client 100 60 --steps 20 --state 1 --png "$1" >/dev/null 2>"$WORK_DIR/stderr.txt"; }
is_png() { [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ]; }

draw new.png || fail "a new file: $(cat stderr.txt)"
is_png new.png || fail "the new file is no PNG"

echo old >target.png
ln -s target.png link.png
draw link.png || fail "a link: $(cat stderr.txt)"
[ -L link.png ] || fail "the link was replaced by a file"
is_png target.png || fail "the link's target is no PNG"

ln -s missing.png dangling.png
draw dangling.png || fail "a dangling link: $(cat stderr.txt)"
[ -L dangling.png ] && is_png missing.png || fail "the dangling link's target was not made"

mkfifo pipe
timeout 10 cat pipe >from-pipe &
reader=$!
draw pipe || fail "a pipe: $(cat stderr.txt)"
wait "$reader"
[ -p pipe ] || fail "the pipe was replaced by a file"
is_png from-pipe || fail "the pipe's reader got no PNG"

mkdir folder
draw folder && fail "a folder was written"
grep -qx "tavrel-trace: Couldn't write folder: Is a directory" stderr.txt || fail "a folder: $(cat stderr.txt)"

# A private copy of /dev/full, where the system's own is out of the test's reach.
if [ "$(id -u)" -eq 0 ] && mknod full c 1 7 2>/dev/null; then
    draw full && fail "a full device took the image"
    grep -qx "tavrel-trace: Couldn't write full: No space left on device" stderr.txt || fail "a full device: $(cat stderr.txt)"
    [ -c full ] || fail "the device node was replaced"
else
    echo "not root, or no device nodes here: the device case is left out"
fi
ls | grep -q XXXXXX && fail "a temporary file was left: $(ls)"
ls | grep -qE '\.png\.' && fail "a temporary file was left: $(ls)"
echo "PASS"
