# Helpers for end-to-end tests of a Windows build under Wine: the session's display, a fresh Wine
# prefix at a given scale, and the loader that fits the executable. Sourced after session.sh.

. "$(dirname "${BASH_SOURCE[0]}")/wine32_qemu.sh"

# Leaves the loader for the executable in WINE, and in WINE_SETUP the one that makes the prefix
# and its settings: 64-bit Wine for a PE32+ executable; for a 32-bit one, Debian's wine32 where
# it runs natively, and otherwise (a kernel without 32-bit support) wine32 under QEMU.
choose_wine() {
    local exe=$1
    WINE_SETUP=$(command -v wine64 || echo /usr/lib/wine/wine64)
    [ -x "$WINE_SETUP" ] || fail "wine64 is not installed"
    WINE=$WINE_SETUP
    file -b "$exe" | grep -q 'PE32+' && return
    if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
        WINE=/usr/lib/wine/wine
        WINE_SETUP=$WINE
        return
    fi
    echo "32-bit Wine does not run natively here: it runs under QEMU's user mode, from $WINE32_CACHE"
    use_wine32_under_qemu
}

# Starts the display and makes the prefix, with Wine's LogPixels at the dots per inch given.
start_wine() {
    local dpi=$1
    export WINEPREFIX="$WORK_DIR/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    trap stop_wine EXIT
    start_display
    timeout 180 "$WINE_SETUP" wineboot --init >"$WORK_DIR/wine.txt" 2>&1 || fail "wineboot could not make a Wine prefix: $(tail -3 "$WORK_DIR/wine.txt")"
    # The prefix is whole once the processes wineboot started have ended and the server has
    # written the registry.
    timeout 60 wineserver -w || fail "the Wine server did not end after wineboot"
    [ -n "${WINE32_ROOT:-}" ] && fill_syswow64
    wine_setting 'HKCU\Control Panel\Desktop' LogPixels REG_DWORD "$dpi"
    wine_setting 'HKCC\Software\Fonts' LogPixels REG_DWORD "$dpi"
}

# wine_setting KEY NAME TYPE VALUE
wine_setting() {
    "$WINE_SETUP" reg add "$1" /v "$2" /t "$3" /d "$4" /f >"$WORK_DIR/reg.txt" 2>&1 || fail "could not set $2: $(tail -3 "$WORK_DIR/reg.txt")"
}

# Ends the prefix's server and waits for it, so that no server outlives its deleted prefix to be
# found by the next test's (a new prefix may be given the old one's inode, which names the server).
stop_wine() {
    timeout 10 wineserver -k 2>/dev/null
    timeout 10 wineserver -w 2>/dev/null
    stop_display
}

# Has Wine trace the program's waits and the images it shows, with timestamps, into its stderr.
trace_turns() {
    wine_setting 'HKCU\Software\Wine\Debug' RelayInclude REG_SZ 'gdi32.SetDIBitsToDevice;user32.MsgWaitForMultipleObjects'
    export WINEDEBUG=+timestamp,+relay
}

# The tick rules (tick_rules.py) on the turns traced, after the first seconds given.
check_tick_rules() {
    local settle=$1 here
    here=$(dirname "${BASH_SOURCE[0]}")
    [ -n "${TAVREL_KEEP_TRACE:-}" ] && cp "$WORK_DIR/stderr.txt" "$TAVREL_KEEP_TRACE"
    python3 "$here/wine_turns.py" "$WORK_DIR/stderr.txt" "$settle" >"$WORK_DIR/turns.json" || fail "no turns in the trace"
    python3 "$here/tick_rules.py" "$WORK_DIR/turns.json" || fail "the ticks broke a rule"
}
