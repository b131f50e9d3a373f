#!/usr/bin/env bash
# Runs one end-to-end scenario of the built program on its own X server, session bus and
# accessibility bus, with a window manager and a tray host, in a throw-away home.
#   run_e2e.sh PROGRAM SCENARIO SHOTS_DIR
# Exits 77 (skipped) when a tool the run needs is not installed.
set -uo pipefail

program="$1"
scenario="$2"
shots="$3"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
python=/usr/bin/python3

missing=()
for tool in xvfb-run Xvfb xauth dbus-run-session trayer openbox xdotool xwininfo xprop import; do
    command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
[ -x "$python" ] || missing+=("$python")
if [ -x "$python" ] && ! "$python" -c 'import pyatspi' >/dev/null 2>&1; then
    missing+=("python3-pyatspi")
fi
[ -x /usr/libexec/at-spi-bus-launcher ] || missing+=("at-spi2-core")
if [ ${#missing[@]} -ne 0 ]; then
    echo "SKIP: end-to-end check '$scenario' needs tools that are not installed: ${missing[*]}"
    echo "      (scripts/test installs them: at-spi2-core python3-pyatspi dbus dbus-x11 trayer openbox xvfb xauth xdotool x11-utils imagemagick)"
    exit 77
fi
if [ ! -x "$program" ]; then
    echo "FAIL: program not built: $program"
    exit 1
fi

# One run on a fresh temporary root, X server, buses and desktop. It is never repeated: a check
# that fails only now and then has a race to find.
root="$(mktemp -d "${TMPDIR:-/tmp}/candlewise-e2e.XXXXXX")"
trap 'rm -rf "$root"' EXIT
source "$here/session_env.sh"
env -i "${session_env[@]}" \
    QT_QPA_PLATFORM=xcb \
    dbus-run-session -- \
    xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
    "$python" "$here/candlewise_e2e.py" --program "$program" --scenario "$scenario" \
    --shots "$shots" --root "$root"
