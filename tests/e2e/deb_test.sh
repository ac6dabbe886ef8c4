#!/bin/bash
# End-to-end: the .deb builds, installs with apt-get, runs under Xvfb with its icon, and
# uninstalls cleanly. It changes the machine's installed packages, so it runs only when asked
# (CI=true, or TAVREL_TEST_PACKAGE=1), as root, and never over an installed tavrel; otherwise it
# is skipped (77), saying why.
# Usage: deb_test.sh BUILD_DIR
. "$(dirname "$0")/session.sh"
BUILD_DIR=$1
skip() { echo "SKIP: $*"; exit 77; }
[ "${CI:-}" = true ] || [ "${TAVREL_TEST_PACKAGE:-}" = 1 ] \
    || skip "installing a package changes this machine; set TAVREL_TEST_PACKAGE=1 to run it"
[ "$(id -u)" -eq 0 ] || skip "installing a package needs root"
dpkg-query -W -f='${Status}' tavrel 2>/dev/null | grep -q "install ok installed" \
    && skip "a tavrel package is installed here already, and this test would remove it"

(cd "$BUILD_DIR" && cpack -G DEB -B "$WORK_DIR/package" >"$WORK_DIR/cpack.txt" 2>&1) || { cat "$WORK_DIR/cpack.txt"; fail "cpack could not make the package"; }
package=$(ls "$WORK_DIR"/package/tavrel_0.1.0.0_*.deb) || fail "no tavrel_0.1.0.0 package was made"
# Without the library scan the package would name only the font and install where SDL or the
# Wayland libraries are missing.
depends=$(dpkg-deb -f "$package" Depends)
for needed in libsdl2-2.0-0 libsdl2-ttf fonts-dejavu-core libwayland-client0 libxkbcommon0 libdecor-0-0; do
    echo "$depends" | grep -q "$needed" || fail "the package's dependencies miss $needed: $depends"
done
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$package" >/dev/null || fail "apt-get could not install $package"
trap 'DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq tavrel >/dev/null 2>&1; stop_display' EXIT

[ "$(dpkg-query -W -f='${Version}' tavrel)" = 0.1.0.0 ] || fail "installed version is not 0.1.0.0"
for file in /usr/bin/tavrel /usr/share/applications/tavrel.desktop /usr/share/icons/hicolor/48x48/apps/tavrel.png; do
    [ -f "$file" ] || fail "$file was not installed"
done

start_display
start_program /usr/bin/tavrel
xprop -id "$WINDOW" _NET_WM_ICON | grep -q 'Icon (64 x 64)' || fail "the window shows no icon"
xdotool key a
expect_exit 1 0

DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq tavrel >/dev/null || fail "apt-get could not remove tavrel"
dpkg -s tavrel 2>/dev/null | grep -q '^Status: install ok installed' && fail "tavrel is still installed"
for file in /usr/bin/tavrel /usr/share/applications/tavrel.desktop /usr/share/icons/hicolor/48x48/apps/tavrel.png; do
    [ -e "$file" ] && fail "$file is left after removal"
done
echo "PASS: the package installs, runs and uninstalls"
