#!/usr/bin/env bash
# Runs one end-to-end scenario of the built program on its own X server, session bus and
# accessibility bus, with a window manager and a tray host, in a throw-away home.
#   run_e2e.sh PROGRAM SCENARIO SHOTS_DIR
# Exits 77 (skipped) when a tool the run needs is not installed.
set -uo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/require.sh"
require "end-to-end check" "at-spi2-core python3-pyatspi dbus dbus-x11 trayer openbox xvfb xauth xdotool x11-utils imagemagick" \
    Xvfb dbus-run-session trayer openbox xdotool xwininfo xprop import

# One run on a fresh temporary root, X server, buses and desktop. It is never repeated: a check
# that fails only now and then has a race to find.
root="$(mktemp -d "${TMPDIR:-/tmp}/candlewise-e2e.XXXXXX")"
trap 'rm -rf "$root"' EXIT
source "$here/session_env.sh"
env -i "${session_env[@]}" \
    QT_QPA_PLATFORM=xcb \
    dbus-run-session -- \
    "$here/with_xvfb.sh" \
    "$python" "$here/candlewise_e2e.py" --program "$program" --scenario "$scenario" \
    --shots "$shots" --root "$root"
