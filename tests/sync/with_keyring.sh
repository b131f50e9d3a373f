#!/bin/sh
# Runs a test on a private session bus with a secret store of its own, unlocked, so that no test
# touches the user's keyring; the store's files go to the sandbox's data home.
XDG_RUNTIME_DIR="$(mktemp -d)"
export XDG_RUNTIME_DIR
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
dbus-run-session -- sh -c 'printf test | gnome-keyring-daemon --unlock --components=secrets >/dev/null && exec "$@"' \
    keyring "$@"
