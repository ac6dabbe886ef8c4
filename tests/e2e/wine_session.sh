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
    trap stop_wine EXIT
    start_display
    timeout 180 "$WINE" wineboot --init >"$WORK_DIR/wine.txt" 2>&1 || fail "wineboot could not make a Wine prefix: $(tail -3 "$WORK_DIR/wine.txt")"
    # The prefix is whole once the processes wineboot started have ended and the server has
    # written the registry.
    timeout 60 wineserver -w || fail "the Wine server did not end after wineboot"
    wine_setting 'HKCU\Control Panel\Desktop' LogPixels REG_DWORD "$dpi"
    wine_setting 'HKCC\Software\Fonts' LogPixels REG_DWORD "$dpi"
}

# wine_setting KEY NAME TYPE VALUE
wine_setting() {
    "$WINE" reg add "$1" /v "$2" /t "$3" /d "$4" /f >"$WORK_DIR/reg.txt" 2>&1 || fail "could not set $2: $(tail -3 "$WORK_DIR/reg.txt")"
}

# Ends the prefix's server and waits for it, so that no server outlives its deleted prefix to be
# found by the next test's (a new prefix may be given the old one's inode, which names the server).
stop_wine() {
    timeout 10 wineserver -k 2>/dev/null
    timeout 10 wineserver -w 2>/dev/null
    stop_display
}
