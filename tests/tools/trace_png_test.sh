#!/bin/bash
# tavrel-trace --png writes as "> NAME" in a shell would: the kernel resolves the name (its link
# protections included), a pipe or a character device takes the bytes, a block device or a
# folder is refused, an existing file keeps its mode, owner, group and links, and nothing
# temporary is left behind. As root it runs once more as nobody, where permissions bite.
# Usage: trace_png_test.sh TAVREL_TRACE
set -u
TRACE=$(realpath "$1")
SCRIPT=$(realpath "$0")
WORK_DIR=$(mktemp -d)
chmod 755 "$WORK_DIR"
cleanup() {
    [ -n "${LOOP_DEVICE:-}" ] && losetup -d "$LOOP_DEVICE"
    [ -n "${SAVED_PROTECTION:-}" ] && sysctl -q -w fs.protected_symlinks="$SAVED_PROTECTION"
    rm -rf "$WORK_DIR"
}
trap cleanup EXIT
cd "$WORK_DIR" || exit 1
fail() { echo "FAIL ($(id -un)): $*" >&2; exit 1; }
draw() { "$TRACE" --client 100 60 --steps 20 --state 1 --png "$1" >/dev/null 2>"$WORK_DIR/stderr.txt"; }
is_png() { [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ]; }
said() { grep -qxF "tavrel-trace: Couldn't write $1" stderr.txt || fail "expected \"Couldn't write $1\", got: $(cat stderr.txt)"; }
facts() { stat -c '%a %U %G %h %i' "$1"; }
nothing_temporary() { ! ls -A | grep -qE '\.tmp$|XXXXXX|\.png\.' || fail "a temporary file was left: $(ls -A)"; }

# Files: new, linked, protected, long-named, hard-linked.
umask 022
draw new.png || fail "a new file: $(cat stderr.txt)"
is_png new.png && [ "$(stat -c %a new.png)" = 644 ] || fail "the new file: $(facts new.png)"

echo old >target.png
ln -s target.png link.png
draw link.png || fail "a link: $(cat stderr.txt)"
[ -L link.png ] && is_png target.png || fail "the link was not followed to its target"

ln -s missing.png dangling.png
draw dangling.png || fail "a dangling link: $(cat stderr.txt)"
[ -L dangling.png ] && is_png missing.png || fail "the dangling link's target was not made"

echo old >private.png
chmod 600 private.png
draw private.png || fail "a private file: $(cat stderr.txt)"
is_png private.png && [ "$(stat -c %a private.png)" = 600 ] || fail "a private file came out $(facts private.png)"

long=$(printf 'n%.0s' $(seq 251)).png
draw "$long" || fail "a new 255-byte name: $(cat stderr.txt)"
draw "$long" || fail "an existing 255-byte name: $(cat stderr.txt)"
is_png "$long" || fail "the 255-byte name holds no PNG"

echo old >linked.png
ln linked.png other-name.png
draw linked.png || fail "a file with two links: $(cat stderr.txt)"
is_png other-name.png && [ "$(stat -c %h linked.png)" = 2 ] || fail "the other link kept the old bytes: $(facts linked.png)"

# Pipes, by name and by descriptor; the standard output redirected to a file is written into.
mkfifo pipe
timeout 10 cat pipe >from-pipe &
reader=$!
draw pipe || fail "a pipe: $(cat stderr.txt)"
wait "$reader"
[ -p pipe ] && is_png from-pipe || fail "the pipe's reader got no PNG"

"$TRACE" --client 100 60 --steps 20 --state 1 --png /dev/stdout 2>stderr.txt | cat >from-stdout
[ "${PIPESTATUS[0]}" = 0 ] && is_png from-stdout || fail "/dev/stdout into a pipe: $(cat stderr.txt)"
"$TRACE" --client 100 60 --steps 20 --state 1 --png /dev/fd/3 3> >(cat >from-fd-3) >/dev/null 2>stderr.txt \
    || fail "/dev/fd/3 on a pipe: $(cat stderr.txt)"
wait_until_file() { for _ in $(seq 100); do [ -s "$1" ] && return; sleep 0.05; done; }
wait_until_file from-fd-3
is_png from-fd-3 || fail "/dev/fd/3 gave no PNG"

: >redirected
inode=$(stat -c %i redirected)
"$TRACE" --client 100 60 --steps 20 --state 1 --png /dev/stdout >redirected 2>stderr.txt || fail "/dev/stdout into a file: $(cat stderr.txt)"
[ "$(stat -c %i redirected)" = "$inode" ] || fail "the file the standard output goes to was replaced"

# Refused: a folder, a full device.
mkdir folder
draw folder && fail "a folder was written"
said "folder: Is a directory"
draw /dev/full && fail "a full device took the image"
said "/dev/full: No space left on device"

if [ "$(id -u)" -ne 0 ]; then
    # What a plain write is refused, and what it is allowed where the folder is not writable.
    echo old >read-only.png
    chmod 444 read-only.png
    draw read-only.png && fail "a read-only file was written"
    said "read-only.png: Permission denied"
    [ "$(cat read-only.png)" = old ] || fail "the read-only file changed"
    mkdir fixed
    echo old >fixed/image.png
    chmod 555 fixed
    draw fixed/image.png || fail "a writable file in a folder that is not: $(cat stderr.txt)"
    is_png fixed/image.png || fail "the file in the fixed folder holds no PNG"
    chmod 755 fixed
    nothing_temporary
    (cd fixed && nothing_temporary)
    echo "PASS as $(id -un)"
    exit 0
fi

# As root: another user's file keeps its owner; a block device is refused untouched.
echo old >theirs.png
chown nobody:nogroup theirs.png
chmod 640 theirs.png
draw theirs.png || fail "another user's file: $(cat stderr.txt)"
is_png theirs.png && [ "$(stat -c '%a %U %G' theirs.png)" = "640 nobody nogroup" ] || fail "another user's file came out $(facts theirs.png)"

head -c 65536 /dev/zero >disk
if LOOP_DEVICE=$(losetup -f --show disk 2>/dev/null); then
    ln -s "$LOOP_DEVICE" disk-link
    draw disk-link && fail "a block device was written"
    said "disk-link: it is a block device, whose first sectors an image would overwrite"
    cmp -s disk <(head -c 65536 /dev/zero) || fail "the block device's first sectors changed"
else
    echo "no loop device here: the block device case is left out"
fi

# A link planted by another user in a sticky, world-writable folder is not followed where the
# kernel protects such links, whoever runs the trace.
SAVED_PROTECTION=$(sysctl -n fs.protected_symlinks 2>/dev/null)
if [ -n "$SAVED_PROTECTION" ] && sysctl -q -w fs.protected_symlinks=1 2>/dev/null; then
    mkdir shared && chmod 1777 shared
    echo secret >mine.png
    setpriv --reuid=nobody --regid=nogroup --clear-groups ln -s "$WORK_DIR/mine.png" shared/planted.png
    draw shared/planted.png && fail "a planted link was followed"
    said "shared/planted.png: Permission denied"
    [ "$(cat mine.png)" = secret ] || fail "the planted link's target changed"
else
    echo "fs.protected_symlinks cannot be set here: the planted link's case is left out"
fi

# A run ended while its temporary file is being made whole removes it and leaves the target be.
echo old >interrupted.png
strace -f -o /dev/null -e trace=fsync -e inject=fsync:delay_enter=3000000 \
    "$TRACE" --client 100 60 --steps 20 --state 1 --png interrupted.png >/dev/null 2>/dev/null &
tracer=$!
until ls -A | grep -q '\.tmp$'; do
    kill -0 "$tracer" 2>/dev/null || fail "the trace ended before a temporary file was seen"
    sleep 0.05
done
pkill -TERM -f "^$TRACE .*--png interrupted.png"
wait "$tracer"
[ "$(cat interrupted.png)" = old ] || fail "the interrupted write changed the target"
nothing_temporary

# Once more as a user without privileges, in a folder of its own.
cp "$TRACE" "$WORK_DIR/nobody-trace" && chmod 755 "$WORK_DIR/nobody-trace"
setpriv --reuid=nobody --regid=nogroup --clear-groups --reset-env bash "$SCRIPT" "$WORK_DIR/nobody-trace" || exit 1
echo "PASS as root"
