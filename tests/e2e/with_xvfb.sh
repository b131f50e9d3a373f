#!/usr/bin/env bash
# Runs the command on an Xvfb of its own, which picks a free display number itself and tells it
# (-displayfd): two runs started at once never share a display, as they could with xvfb-run -a.
set -uo pipefail
dir="$(mktemp -d)"
mkfifo "$dir/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; rm -rf "$dir"' EXIT
if ! read -r -t 30 number <"$dir/display"; then
    echo "FAIL: Xvfb did not start: $(cat "$dir/xvfb.log")"
    exit 1
fi
DISPLAY=":$number" "$@"
