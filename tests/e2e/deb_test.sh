#!/bin/bash
# End-to-end: the .deb builds, installs with apt-get, runs under Xvfb with its icon, and
# uninstalls cleanly. Needs root, as apt-get does; skipped (77) otherwise.
# Usage: deb_test.sh BUILD_DIR
. "$(dirname "$0")/session.sh"
BUILD_DIR=$1
if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: installing a package needs root"
    exit 77
fi
dpkg -s tavrel >/dev/null 2>&1 && fail "tavrel is already installed; remove it before this test"

(cd "$BUILD_DIR" && cpack -G DEB -B "$WORK_DIR/package" >/dev/null) || fail "cpack could not make the package"
package=$(ls "$WORK_DIR"/package/tavrel_0.1.0.0_*.deb) || fail "no tavrel_0.1.0.0 package was made"
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
