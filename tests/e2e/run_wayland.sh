#!/usr/bin/env bash
# Runs one end-to-end scenario of a program as a native Wayland client: a headless weston, its
# own session bus and accessibility bus, no X server at all, in a throw-away home.
#   run_wayland.sh PROGRAM SCENARIO SHOTS_DIR [ROOT]
# ROOT, when given, is used for the home, settings, data and autostart folders and is left in
# place for the caller to inspect. Exits 77 (skipped) when a tool the run needs is not installed.
set -uo pipefail

keep_root="${4:-}"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/require.sh"
compgen -G "/usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so" >/dev/null || missing_extra=qt6-wayland
require "Wayland check" "weston qt6-wayland at-spi2-core python3-pyatspi dbus" weston weston-screenshooter dbus-run-session

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
