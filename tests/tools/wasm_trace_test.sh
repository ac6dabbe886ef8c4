#!/bin/bash
# tavrel-trace built as WebAssembly, under node, prints what the native one prints, every byte of
# it into a pipe whose reader is slow to start, and fails as it does. Usage: wasm_trace_test.sh NATIVE_TAVREL_TRACE WASM_TAVREL_TRACE_JS
set -u
NATIVE=$1
WASM=$2
WORK_DIR=$(mktemp -d)
trap 'rm -rf "$WORK_DIR"' EXIT
failures=0

# The output goes into a pipe that fills before its reader starts, or to the file OUTPUT names.
compare() {
    local native_status wasm_status
    if [ -n "${OUTPUT:-}" ]; then
        "$NATIVE" "$@" >"$OUTPUT" 2>"$WORK_DIR/native.err"
        native_status=$?
        node "$WASM" "$@" >"$OUTPUT" 2>"$WORK_DIR/wasm.err"
        wasm_status=$?
        : >"$WORK_DIR/native.json" >"$WORK_DIR/wasm.json"
    else
        "$NATIVE" "$@" 2>"$WORK_DIR/native.err" | { sleep 0.3; cat >"$WORK_DIR/native.json"; }
        native_status=${PIPESTATUS[0]}
        node "$WASM" "$@" 2>"$WORK_DIR/wasm.err" | { sleep 0.3; cat >"$WORK_DIR/wasm.json"; }
        wasm_status=${PIPESTATUS[0]}
    fi
    if [ "$native_status" != "$wasm_status" ] || ! cmp -s "$WORK_DIR/native.json" "$WORK_DIR/wasm.json" \
        || ! cmp -s "$WORK_DIR/native.err" "$WORK_DIR/wasm.err"; then
        echo "FAIL: $*: native status $native_status, WebAssembly status $wasm_status" >&2
        diff <(head -c 2000 "$WORK_DIR/native.json"; cat "$WORK_DIR/native.err") <(head -c 2000 "$WORK_DIR/wasm.json"; cat "$WORK_DIR/wasm.err") | head -20 >&2
        failures=$((failures + 1))
    fi
}

compare --client 545 336 --cell 7 13 --steps 40 --frame
compare --client 1090 672 --cell 14 27 --steps 300 --state 12345 --frame
# Far more than a pipe holds (225,001 bytes).
compare --client 1920 1080 --cell 7 13 --steps 1 --frame
compare --client 100.5 60.25 --cell 7.5 12.75 --steps 17 --frame
# A field past 16-bit positions, and start-up failures: the same message and status.
compare --client 600000 30 --cell 7 13 --steps 5 --frame
compare --client 545 336 --cell 0 13
compare --client 10 10 --cell 20 20 --steps 3
compare --client 545 336 --cell 7 x
# Output that cannot be written ends the trace with the reason and status 1.
OUTPUT=/dev/full compare --client 545 336 --cell 7 13 --steps 1 --frame
[ "$failures" -eq 0 ] || exit 1
echo "the WebAssembly trace matched the native one in every case"
