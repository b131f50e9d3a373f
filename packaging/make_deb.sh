#!/usr/bin/env bash
# make_deb.sh BUILD_DIR OUT_DIR
# Packs a built tree into OUT_DIR/candlewise_<version>_<arch>.deb with CPack and checks the
# package with lintian: an error fails, warnings are shown. Prints the package's path last.
set -euo pipefail
build="$1"
out="$2"

mkdir -p "$out"
rm -f "$out"/candlewise_*.deb
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || {
    cat "$out/cpack.log"
    exit 1
}
deb="$(ls "$out"/candlewise_*.deb)"
echo "== lintian $deb"
lintian --fail-on error "$deb"
echo "$deb"
