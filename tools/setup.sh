# Installs what the build needs from Debian's packages, then configures and builds in build/.
# Sourced by run.sh and test.sh; PACKAGES names what the caller needs.

set -euo pipefail

PROJECT_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_PACKAGES="cmake g++ make pkg-config libsdl2-dev libsdl2-ttf-dev libsdl2-image-dev libfontconfig-dev libx11-dev libwayland-dev libxkbcommon-dev libdecor-0-dev wayland-protocols fonts-dejavu-core"
# CPack's .deb asks dpkg-shlibdeps (dpkg-dev) for the libraries' packages, and it needs file.
PACKAGE_PACKAGES="dpkg-dev file"
# The native Wayland window is tested under a headless sway, with grim for pictures and wtype
# for keys, and under a headless Weston, which draws no window frames.
TEST_PACKAGES="python3 strace procps libgtest-dev g++-multilib libbenchmark-dev xvfb xauth xdotool x11-utils x11-xserver-utils imagemagick wmctrl openbox fontconfig gdb sway grim wtype weston $PACKAGE_PACKAGES"
WINDOWS_PACKAGES="g++-mingw-w64-i686 g++-mingw-w64-x86-64 icoutils wine64"
# The page: emscripten (with node), the font cut down with fontTools, Chromium and Firefox for its
# tests.
PAGE_PACKAGES="cmake make emscripten python3-fonttools fonts-dejavu-core"
PAGE_TEST_PACKAGES="chromium firefox-esr libgtest-dev"

install_packages() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Some packages are missing. Install them as root with:" >&2
        echo "  apt-get install -y ${missing[*]}" >&2
        echo "or, where sudo is set up:" >&2
        echo "  sudo apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
}

# configure_and_build DIR [cmake options...]
configure_and_build() {
    local dir=$1; shift
    cmake -S "$PROJECT_DIR" -B "$PROJECT_DIR/$dir" "$@" >/dev/null
    cmake --build "$PROJECT_DIR/$dir" -j "$(nproc)"
}

# build_page DIR [cmake options...]: the page, built with emscripten in DIR (build-web/ for the
# README's commands; the site is DIR/page/). Emscripten's own tools run on node and look for their
# modules where Debian installs them, which a node from elsewhere does not search.
build_page() {
    local dir=$1; shift
    export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
    emcmake cmake -S "$PROJECT_DIR" -B "$PROJECT_DIR/$dir" "$@" >/dev/null
    cmake --build "$PROJECT_DIR/$dir" -j "$(nproc)"
}
