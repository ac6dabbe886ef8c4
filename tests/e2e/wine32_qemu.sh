# 32-bit Wine where the kernel starts no 32-bit program: Debian's wine32 with the i386 libraries
# it needs, downloaded and unpacked (never installed) once per machine into a cache folder, run
# under QEMU's user mode from bookworm-backports (Debian 12's QEMU ignores the flag Wine reserves
# its memory with, and takes a minute to open a window). Nothing of the host's packages changes.
# Sourced by wine_session.sh.

WINE32_CACHE=${TAVREL_WINE32_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tavrel/wine32-qemu}
# The i386 libraries 32-bit Wine loads with an X display and fonts, dependencies included.
WINE32_LIBRARIES="gcc-12-base libgcc-s1 libc6 libbrotli1 libmd0 libbsd0 libexpat1 zlib1g libpng16-16 libfreetype6
    libfontconfig1 libxau6 libxdmcp6 libxcb1 libx11-6 libxcomposite1 libxfixes3 libxrender1 libxcursor1 libxext6 libxi6
    libxinerama1 libxrandr2"

# Whether a folder is this user's alone: a real folder (no link), owned by this user and
# writable by nobody else, under folders that are root's or this user's and that others cannot
# change (or that are sticky, as /tmp is). What the cache holds runs as this user, root too.
private_folder() {
    local folder=$1 path owner mode
    [ -d "$folder" ] && [ ! -L "$folder" ] || { echo "$folder is not a folder"; return 1; }
    read -r owner mode < <(stat -c '%u %a' "$folder")
    [ "$owner" = "$(id -u)" ] || { echo "$folder belongs to user $owner"; return 1; }
    (( 8#$mode & 8#022 )) && { echo "$folder can be changed by others (mode $mode)"; return 1; }
    path=$(realpath "$folder")
    while [ "$path" != / ]; do
        path=$(dirname "$path")
        read -r owner mode < <(stat -c '%u %a' "$path")
        [ "$owner" = 0 ] || [ "$owner" = "$(id -u)" ] || { echo "$path belongs to user $owner"; return 1; }
        (( 8#$mode & 8#022 )) && ! (( 8#$mode & 8#1000 )) && { echo "$path can be changed by others (mode $mode)"; return 1; }
    done
    return 0
}

# Makes the cache folder (mode 700) where it is missing, and refuses one that is not this user's
# alone, or that is the root or the home folder itself, which preparing it would empty.
open_wine32_cache() {
    local resolved reason
    resolved=$(realpath -m "$WINE32_CACHE")
    [ "$resolved" != / ] && [ "$resolved" != "$(realpath -m "$HOME")" ] \
        || fail "TAVREL_WINE32_CACHE is $WINE32_CACHE: it must be a folder of its own, not / or the home folder"
    [ -e "$WINE32_CACHE" ] || [ -L "$WINE32_CACHE" ] || (umask 077 && mkdir -p "$WINE32_CACHE") || fail "cannot make $WINE32_CACHE"
    reason=$(private_folder "$WINE32_CACHE") || fail "refusing the 32-bit Wine cache: $reason"
    local lock=$WINE32_CACHE/.lock
    if [ -e "$lock" ] || [ -L "$lock" ]; then
        [ -f "$lock" ] && [ ! -L "$lock" ] && [ "$(stat -c %u "$lock")" = "$(id -u)" ] \
            || fail "refusing the 32-bit Wine cache: its lock $lock is not this user's own file"
    fi
}

# apt downloads as its own unprivileged user where it runs as root: into a folder of that user's.
apt_download_folder() {
    local folder
    folder=$(mktemp -d "${TMPDIR:-/tmp}/tavrel-wine32-apt.XXXXXX") || fail "cannot make a folder for apt"
    if [ "$(id -u)" = 0 ] && id _apt >/dev/null 2>&1; then
        chown _apt "$folder" || fail "cannot give $folder to apt's user"
    fi
    echo "$folder"
}

# Makes $WINE32_CACHE/root once: apt with a configuration of its own (its lists, its cache, the
# i386 architecture) downloads the packages, dpkg unpacks them, and ldconfig indexes the root so
# that its loader never reads the host's cache. Fails with the reason when it cannot.
prepare_wine32_root() {
    open_wine32_cache
    local root=$WINE32_CACHE/root
    [ -f "$root/.complete" ] && return 0
    (
        flock 9
        [ -f "$root/.complete" ] && exit 0
        local apt wine_version
        wine_version=$(dpkg-query -W -f='${Version}' wine64) || fail "wine64 is not installed"
        apt=$(apt_download_folder)
        trap 'rm -rf "$apt"' EXIT
        rm -rf "$root"
        mkdir -p "$root"
        mkdir -p "$apt/lists/partial" "$apt/archives/partial" "$apt/etc/preferences.d" "$apt/etc/sources.list.d"
        : >"$apt/status"
        [ "$(id -u)" = 0 ] && id _apt >/dev/null 2>&1 && chown -R _apt "$apt/lists" "$apt/archives"
        cat >"$apt/etc/sources.list" <<SOURCES
deb http://deb.debian.org/debian bookworm main
deb http://deb.debian.org/debian bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
deb http://deb.debian.org/debian bookworm-backports main
SOURCES
        cat >"$apt/apt.conf" <<CONF
Dir::State "$apt";
Dir::State::Lists "$apt/lists";
Dir::State::status "$apt/status";
Dir::Cache "$apt";
Dir::Cache::Archives "$apt/archives";
Dir::Etc::SourceList "$apt/etc/sources.list";
Dir::Etc::SourceParts "$apt/etc/sources.list.d";
Dir::Etc::Preferences "$apt/etc/preferences";
Dir::Etc::PreferencesParts "$apt/etc/preferences.d";
APT::Architectures { "amd64"; "i386"; };
CONF
        export APT_CONFIG=$apt/apt.conf
        apt-get update -qq >"$apt/update.txt" 2>&1 || fail "apt-get update failed: $(tail -3 "$apt/update.txt")"
        local qemu_version
        qemu_version=$(apt-cache madison qemu-user | awk '/bookworm-backports/ { print $3; exit }')
        [ -n "$qemu_version" ] || fail "bookworm-backports has no qemu-user"
        local packages=("wine32:i386=$wine_version" "libwine:i386=$wine_version" "qemu-user=$qemu_version")
        for library in $WINE32_LIBRARIES; do packages+=("$library:i386"); done
        (cd "$apt/archives" && apt-get download -qq "${packages[@]}") >"$apt/download.txt" 2>&1 \
            || fail "downloading 32-bit Wine failed: $(tail -3 "$apt/download.txt")"
        ! grep -i "unsandboxed" "$apt/download.txt" || fail "apt downloaded as root, not as its own user"
        for package in "$apt"/archives/*.deb; do
            dpkg -x "$package" "$root" || fail "cannot unpack $package"
        done
        ldconfig -r "$root" 2>/dev/null
        # The 32-bit process starts the desktop's helper with the host's 64-bit loader.
        ln -sf /usr/lib/wine/wine64 "$root/usr/lib/wine/wine64"
        # QEMU comes with every machine it emulates; only the i386 one is kept.
        find "$root/usr/bin" -name 'qemu-*' ! -name qemu-i386 -delete
        rm -rf "$root/usr/share/doc" "$root/usr/share/man"
        touch "$root/.complete"
    ) 9>>"$WINE32_CACHE/.lock" || exit 1
}

# Leaves in WINE a loader that runs 32-bit Wine from the cache under QEMU.
use_wine32_under_qemu() {
    prepare_wine32_root
    local root=$WINE32_CACHE/root
    WINE=$WORK_DIR/wine32
    cat >"$WINE" <<LOADER
#!/bin/sh
# Debian's wine32 has no preloader: the loader is asked not to exec itself again.
WINELOADERNOEXEC=1 exec "$root/usr/bin/qemu-i386" -L "$root" "$root/usr/lib/wine/wine" "\$@"
LOADER
    chmod +x "$WINE"
    WINE32_ROOT=$root
}

# A prefix made by 64-bit Wine has no 32-bit system folder filled (wineboot would need a 32-bit
# process): its DLLs come from the unpacked wine32, zlib1.dll from the host's libz-mingw-w64.
fill_syswow64() {
    local system=$WINEPREFIX/drive_c/windows/syswow64
    mkdir -p "$system"
    cp -f "$WINE32_ROOT"/usr/lib/i386-linux-gnu/wine/i386-windows/* "$system/" || fail "cannot fill $system"
    cp -f /usr/i686-w64-mingw32/lib/zlib1.dll "$system/" || fail "no 32-bit zlib1.dll (libz-mingw-w64)"
}
