#!/bin/bash
# Checks the Windows packages under Wine: the portable .zip runs from its own
# folder with nothing but what it holds, and the setup program installs
# silently under Program Files with its Start-menu entry and uninstaller, the
# installed program runs, and the uninstaller removes it again. Needs root
# (a private network namespace with loopback only).
# Usage: tools/wine-package.sh [BUILD_DIR]   (default build-win; after
# `cmake --build BUILD_DIR --target package`)
set -euo pipefail

build=$(cd "${1:-build-win}" && pwd)
if [[ -z ${OSTREL_WINE_INNER:-} ]]; then
    exec unshare --net env OSTREL_WINE_INNER=1 "$0" "$build"
fi
ip link set lo up
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export OSTREL_WINEPREFIX=$build/wineprefix-package
rm -rf "$OSTREL_WINEPREFIX"
# shellcheck source=wine-env.sh
source "$here/wine-env.sh" "$build" 2>/dev/null
# Only what a package brings: no SDK on the search path.
unset WINEPATH QT_PLUGIN_PATH

zip=$(ls "$build"/ostrel-*-win64.zip)
setup=$(ls "$build"/ostrel-*-win64.exe)
ls -l "$zip" "$setup"
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
version_of() {
    { timeout 120 wine "$1" --version 2>/dev/null || true; } | tr -d '\r'
}

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
(cd "$unpacked" && cmake -E tar xf "$zip")
for program in ostrel ostrel-cli; do
    version=$(version_of "$unpacked"/ostrel-*/bin/$program.exe)
    echo "zip: $program.exe --version: $version"
    [[ $version =~ ^$program\ [0-9] ]] || fail "$program.exe from the .zip does not start"
done

# The window comes up through the platform plugin the package ships
# (qwindows, drawing into Wine's null display driver).
running=$( (QT_QPA_PLATFORM='' timeout 120 wine "$unpacked"/ostrel-*/bin/ostrel.exe --quit-after 2000 \
    2>/dev/null || true) | tr -d '\r')
echo "zip: ostrel.exe window: $running"
[[ $running == *"ostrel: running"* ]] || fail "ostrel.exe from the .zip shows no window"

timeout 300 wine "$setup" /S >/dev/null 2>&1 || fail "setup /S failed"
wineserver -w
files=$OSTREL_WINEPREFIX/drive_c/Program\ Files/Ostrel
version=$(version_of "$files/bin/ostrel.exe")
echo "installed: ostrel.exe --version: $version"
[[ $version =~ ^ostrel\ [0-9] ]] || fail "the installed ostrel.exe does not start"
[[ -f $files/bin/platforms/qwindows.dll ]] || fail "no platform plugin installed"
[[ -f $files/Uninstall.exe ]] || fail "no uninstaller"
menu=$(find "$OSTREL_WINEPREFIX/drive_c" -path '*Start Menu*' -name 'Ostrel.lnk' | head -n 1)
[[ -n $menu ]] || fail "no Start-menu entry"
echo "Start-menu entry: ${menu#"$OSTREL_WINEPREFIX/"}"

# The uninstaller copies itself away and waits for nothing; its copy ends
# with the wineserver.
timeout 300 wine "$files/Uninstall.exe" /S >/dev/null 2>&1 || fail "uninstaller failed"
wineserver -w
[[ ! -e $files/bin/ostrel.exe ]] || fail "the uninstaller left ostrel.exe"

wineserver -k || true
if [[ $failures != 0 ]]; then
    echo "packages under Wine: $failures failure(s)" >&2
    exit 1
fi
echo "packages under Wine: all passed"
