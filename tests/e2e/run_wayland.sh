#!/usr/bin/env bash
# Runs one end-to-end scenario of a program as a native Wayland client: a headless weston, its
# own session bus and accessibility bus, no X server at all, in a throw-away home.
#   run_wayland.sh PROGRAM SCENARIO SHOTS_DIR [ROOT]
# ROOT, when given, is used for the home, settings, data and autostart folders and is left in
# place for the caller to inspect. Exits 77 (skipped) when a tool the run needs is not installed.
set -uo pipefail

program="$1"
scenario="$2"
shots="$3"
keep_root="${4:-}"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
python=/usr/bin/python3

missing=()
for tool in weston weston-screenshooter dbus-run-session; do
    command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
[ -x "$python" ] && "$python" -c 'import pyatspi' >/dev/null 2>&1 || missing+=("python3-pyatspi")
[ -x /usr/libexec/at-spi-bus-launcher ] || missing+=("at-spi2-core")
compgen -G "/usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so" >/dev/null || missing+=("qt6-wayland")
if [ ${#missing[@]} -ne 0 ]; then
    echo "SKIP: Wayland check '$scenario' needs tools that are not installed: ${missing[*]}"
    echo "      (scripts/test installs them: weston qt6-wayland at-spi2-core python3-pyatspi dbus)"
    exit 77
fi
if [ ! -x "$program" ]; then
    echo "FAIL: program not found: $program"
    exit 1
fi

root="${keep_root:-$(mktemp -d "${TMPDIR:-/tmp}/candlewise-wayland.XXXXXX")}"
source "$here/session_env.sh"
# There is no DISPLAY: Qt can only reach the compositor through WAYLAND_DISPLAY.
env -i "${session_env[@]}" \
    XDG_SESSION_TYPE=wayland \
    WAYLAND_DISPLAY=wayland-candlewise \
    QT_QPA_PLATFORM=wayland \
    ASAN_OPTIONS="${ASAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" \
    dbus-run-session -- \
    "$python" "$here/wayland_e2e.py" --program "$program" --scenario "$scenario" \
    --shots "$shots" --root "$root"
status=$?
[ -n "$keep_root" ] || rm -rf "$root"
exit $status
