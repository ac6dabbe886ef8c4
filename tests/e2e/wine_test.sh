#!/bin/bash
# End-to-end: the Windows build under Wine on Xvfb shows the rain in "Form1" over its whole client
# area, at the scale Wine's LogPixels sets, and ends on a key.
# Usage: wine_test.sh TAVREL.EXE [DPI]
. "$(dirname "$0")/session.sh"
EXE=$1
DPI=${2:-96}
if file -b "$EXE" | grep -q 'PE32+'; then
    WINE=$(command -v wine64 || echo /usr/lib/wine/wine64)
    [ -x "$WINE" ] || fail "wine64 is not installed"
else
    # wine32 comes from the i386 architecture, whose package lists a machine may not match.
    WINE=/usr/lib/wine/wine
    if [ ! -x "$WINE" ]; then
        echo "SKIP: 32-bit Wine (wine32) is not installed, so $EXE is checked but not run"
        exit 77
    fi
fi
export WINEPREFIX="$WORK_DIR/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
start_display
timeout 180 "$WINE" wineboot --init >/dev/null 2>&1 || fail "wineboot could not make a Wine prefix"
"$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$DPI" /f >/dev/null 2>&1 || fail "could not set LogPixels"
"$WINE" reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d "$DPI" /f >/dev/null 2>&1 || fail "could not set LogPixels"
WINDOW_WAIT=60 start_program "$WINE" "$EXE"
expected=$(python3 -c "import sys; d = int(sys.argv[1]); print(f'{(8175 * d + 720) // 1440}x{(5040 * d + 720) // 1440}')" "$DPI")
[ "$(client_size)" = "$expected" ] || fail "client area is $(client_size) at $DPI dpi, expected $expected"
wait_for_rain 20 "$expected"
xdotool key a
expect_exit 10 0
wineserver -k 2>/dev/null || true
echo "PASS: the Windows build runs under Wine at $DPI dpi"
