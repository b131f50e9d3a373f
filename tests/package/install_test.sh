#!/usr/bin/env bash
# install_test.sh BUILD_DIR WORK_DIR MAKE_DEB RUN_WAYLAND SHOTS_DIR
# Packs the build into a .deb, installs it with apt-get, starts the installed /usr/bin/candlewise
# with a due birthday in a throw-away home (the Wayland check "alert": start, list, alert, editor,
# session end), removes the package and checks that none of its files is left, that the user's
# list and options are as the program left them and that the machine has the packages it had.
# Exits 77 (skipped) where it must not or cannot change the machine's packages.
set -uo pipefail
build="$1"
work="$2"
make_deb="$3"
run_wayland="$4"
shots="$5"

skip() {
    echo "SKIP: $*"
    exit 77
}
fail() {
    echo "FAIL: $*"
    status=1
}

[ "$(id -u)" -eq 0 ] || skip "installs a package: runs as root only (CI runs it on a throw-away machine)"
for tool in apt-get dpkg-query cpack lintian dpkg-shlibdeps fakeroot; do
    command -v "$tool" >/dev/null 2>&1 || skip "'$tool' is not installed (scripts/test installs dpkg-dev fakeroot file lintian)"
done
if [ "$(dpkg-query -W -f='${db:Status-Status}' candlewise 2>/dev/null)" != "" ] &&
   [ "$(dpkg-query -W -f='${db:Status-Status}' candlewise)" != "not-installed" ]; then
    skip "a candlewise package is already on this machine; it is left alone"
fi
[ -e /usr/bin/candlewise ] || [ -e /usr/lib/candlewise ] &&
    skip "a candlewise installed by hand is in /usr; it is left alone"

rm -rf "$work"
mkdir -p "$work"
"$make_deb" "$build" "$work" || { echo "FAIL: the package could not be made or lintian found errors"; exit 1; }
deb="$(ls "$work"/candlewise_*.deb)"

installed_packages() {
    dpkg-query -W -f='${db:Status-Status} ${binary:Package}\n' | awk '$1 == "installed" { print $2 }' | sort
}
installed_packages >"$work/packages-before"

# Whatever happens below, the machine gets back the package set it had.
restore() {
    if [ "$(dpkg-query -W -f='${db:Status-Status}' candlewise 2>/dev/null)" = installed ]; then
        DEBIAN_FRONTEND=noninteractive apt-get purge -y -q candlewise >/dev/null 2>&1
    fi
    installed_packages >"$work/packages-now"
    local added
    added="$(comm -13 "$work/packages-before" "$work/packages-now")"
    if [ -n "$added" ]; then
        # shellcheck disable=SC2086
        DEBIAN_FRONTEND=noninteractive apt-get purge -y -q $added >/dev/null 2>&1
    fi
}
trap restore EXIT

status=0
echo "== apt-get install $deb"
DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$deb" ||
    { echo "FAIL: apt-get could not install the package"; exit 1; }
dpkg-query -L candlewise | sort >"$work/files"
for f in /usr/bin/candlewise /usr/lib/candlewise/candlewise /usr/lib/candlewise/candlewise-window.so \
         /usr/lib/candlewise/candlewise-sound.so /usr/lib/candlewise/candlewise-sync.so \
         /usr/lib/candlewise/dbBlank.mdb \
         /usr/share/applications/candlewise.desktop /usr/share/doc/candlewise/copyright \
         /usr/share/man/man1/candlewise.1.gz; do
    grep -qx "$f" "$work/files" || fail "the package does not hold $f"
done

# One version everywhere: the package's, the program's and the AppStream release entry's.
version="$(dpkg-deb -f "$deb" Version)"
[ "$(/usr/bin/candlewise --version)" = "candlewise $version" ] ||
    fail "candlewise --version does not print the package's version $version"
grep -q "<release version=\"$version\"" /usr/share/metainfo/*.xml ||
    fail "the AppStream release entry does not name version $version"

echo "== the installed program"
root="$work/user"
"$run_wayland" /usr/bin/candlewise alert "$shots" "$root"
case $? in
    0) ;;
    77) skip "the Wayland session could not be set up (see above)" ;;
    *) fail "the installed program did not pass the check above" ;;
esac
user_files() {
    (cd "$root" && find common config autostart -type f -print0 | sort -z | xargs -0 -r sha256sum)
}
user_files >"$work/user-before"
grep -q "dbData.mdb" "$work/user-before" || fail "the program left no birthday list in the data root"

echo "== apt-get purge candlewise"
DEBIAN_FRONTEND=noninteractive apt-get purge -y -q candlewise || fail "apt-get could not remove the package"
[ "$(dpkg-query -W -f='${db:Status-Status}' candlewise 2>/dev/null)" = installed ] &&
    fail "the package is still installed"
left=()
while read -r f; do
    [ -e "$f" ] && [ ! -d "$f" ] && left+=("$f")
done <"$work/files"
for d in /usr/lib/candlewise /usr/share/doc/candlewise; do
    [ -e "$d" ] && left+=("$d")
done
[ ${#left[@]} -eq 0 ] || fail "files of the package are left after its removal: ${left[*]}"
user_files >"$work/user-after"
cmp -s "$work/user-before" "$work/user-after" || fail "the user's list or options changed when the package was removed"

trap - EXIT
restore
installed_packages >"$work/packages-after"
cmp -s "$work/packages-before" "$work/packages-after" ||
    fail "the machine's packages differ from before: $(diff "$work/packages-before" "$work/packages-after" | tr '\n' ' ')"

rm -rf "$root"
[ $status -eq 0 ] && echo "installed, ran and removed cleanly; the user's files are untouched"
exit $status
