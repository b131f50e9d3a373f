#!/bin/sh
# install_validation.sh BUILD_DIR PREFIX INSTALL_DIR
# Installs the build into PREFIX, checks every file landed where the desktop expects it and runs
# the desktop-entry and AppStream validators. Exits 77 (skipped) when a validator is missing.
set -u
build="$1"
prefix="$2"
libdir="$3"

rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "cmake --install failed"; exit 1; }

status=0
for f in "$libdir/candlewise" "$libdir/candlewise-window.so" "$libdir/candlewise-sound.so" "$libdir/candlewise-sync.so" "$libdir/dbBlank.mdb" "$libdir/happybirthday.wav" "$libdir/HAND-M.CUR" "$libdir/x/o.cjs" \
         share/applications/candlewise.desktop \
         share/metainfo/example.marrowfen.Candlewise.metainfo.xml; do
    if [ ! -s "$prefix/$f" ]; then
        echo "missing after install: $f"
        status=1
    fi
done

missing=""
if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$prefix/share/applications/candlewise.desktop" || status=1
else
    missing="$missing desktop-file-validate"
fi
if command -v appstreamcli >/dev/null 2>&1; then
    appstreamcli validate --no-net "$prefix/share/metainfo/example.marrowfen.Candlewise.metainfo.xml" || status=1
else
    missing="$missing appstreamcli"
fi

rm -rf "$prefix"
[ "$status" -ne 0 ] && exit "$status"
if [ -n "$missing" ]; then
    echo "SKIPPED: validator(s) not on PATH:$missing (install desktop-file-utils and appstream)"
    exit 77
fi
echo "installed files present; desktop entry and metainfo valid"
exit 0
