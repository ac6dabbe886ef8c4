# Helpers for end-to-end tests of a Windows build under Wine: the session's display, a fresh Wine
# prefix at a given scale, and the loader that fits the executable. Sourced after session.sh.

# Leaves the loader for the executable in WINE; exits 77 (skipped) where it is a 32-bit one and
# 32-bit Wine is not installed.
choose_wine() {
    local exe=$1
    if file -b "$exe" | grep -q 'PE32+'; then
        WINE=$(command -v wine64 || echo /usr/lib/wine/wine64)
        [ -x "$WINE" ] || fail "wine64 is not installed"
    else
        # wine32 comes from the i386 architecture, whose package lists a machine may not match.
        WINE=/usr/lib/wine/wine
        if [ ! -x "$WINE" ]; then
            echo "SKIP: 32-bit Wine (wine32) is not installed, so $exe is checked but not run"
            exit 77
        fi
    fi
}

# Starts the display and makes the prefix, with Wine's LogPixels at the dots per inch given.
start_wine() {
    local dpi=$1
    export WINEPREFIX="$WORK_DIR/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    start_display
    timeout 180 "$WINE" wineboot --init >/dev/null 2>&1 || fail "wineboot could not make a Wine prefix"
    "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 || fail "could not set LogPixels"
    "$WINE" reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 || fail "could not set LogPixels"
}
