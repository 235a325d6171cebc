#!/bin/sh
# Installs the Debian packages that building (and, with --tests, testing)
# the game needs. Only missing packages are installed; apt's package lists
# are refreshed once, and only when something is missing.
set -eu

packages="g++ make cmake pkg-config libsdl1.2-dev libsdl-image1.2-dev libsdl-mixer1.2-dev"
if [ "${1:-}" = "--tests" ]; then
    # GoogleTest, Python's imaging library for the asset check, an X server,
    # key presses and screenshots for the real-window tests, the desktop
    # entry and man page checks of the install test, and what building and
    # checking the Debian package needs.
    packages="$packages libgtest-dev python3-pil xvfb xauth xdotool imagemagick desktop-file-utils man-db"
    packages="$packages build-essential debhelper lintian appstream fakeroot git"
fi

missing=""
for package in $packages; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
        missing="$missing $package"
    fi
done
[ -z "$missing" ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing:$missing"
$sudo apt-get update -q
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends $missing
