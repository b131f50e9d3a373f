# Shared by scripts/run and scripts/test: install the missing Debian packages, configure and build.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

BUILD_PACKAGES=(build-essential cmake ninja-build qt6-base-dev qt6-multimedia-dev libsqlite3-dev
    libbenchmark-dev libqt6svg6 libical-dev qtkeychain-qt6-dev)
# The end-to-end checks' desktop with the calendar checker, and the validators the install check runs.
DESKTOP_PACKAGES=(xvfb xauth xdotool imagemagick x11-utils dbus dbus-x11 at-spi2-core python3
    python3-pyatspi gir1.2-atspi-2.0 python3-gi trayer openbox desktop-file-utils appstream python3-icalendar
    python3-dateutil qt6-gtk-platformtheme)
# The address books' checks: two CardDAV servers, the secret store on a private bus (gdbus locks it),
# curl to put the test's cards on the servers, and openssl for the certificate of a TLS server.
ADDRESSBOOK_PACKAGES=(radicale xandikos gnome-keyring curl libglib2.0-bin openssl)
# The Wayland session of the end-to-end checks: a headless compositor and Qt's Wayland plug-in.
WAYLAND_PACKAGES=(weston qt6-wayland)
# What scripts/package needs to make and check the Debian package.
PACKAGE_PACKAGES=(dpkg-dev fakeroot file lintian)

ensure_packages() {
    local missing=()
    for p in "$@"; do
        dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# build DIR [extra cmake options...]
build() {
    local dir="$1"; shift
    cmake -S "$ROOT" -B "$dir" -G Ninja "$@"
    cmake --build "$dir" --parallel "$(nproc)"
}
