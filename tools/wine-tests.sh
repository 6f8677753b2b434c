#!/bin/bash
# Runs the Windows build's tests under Wine: the unit tests that need no Linux
# network namespaces, the program's --version, an offscreen start and quit,
# and the single-instance check (in tst_singleinstance). Needs root for
# the private network namespace everything runs in (only loopback inside).
# Usage: tools/wine-tests.sh [BUILD_DIR]   (default build-win)
# The Qt SDK is the one the build was configured with (OSTREL_QT_MINGW in
# its cache). Wine's own messages on standard error are left alone; only the
# tests' results and the programs' output decide.
set -euo pipefail

build=$(cd "${1:-build-win}" && pwd)
if [[ -z ${OSTREL_WINE_INNER:-} ]]; then
    exec unshare --net env OSTREL_WINE_INNER=1 "$0" "$build"
fi
ip link set lo up

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=wine-env.sh
source "$here/wine-env.sh" "$build"

# Unit tests of the core, the settings file, the text helpers, the languages, the socket
# component on loopback and the command line, and the window's own tests
# offscreen. tst_mylib is left out: its host-MAC lookup goes through
# SendARP, which Wine 8.0 only stubs.
tests=(tst_configprotocol tst_modulebatch tst_console tst_settings tst_language tst_cmsocket tst_cli
    tst_window tst_consolewindow tst_transcriptview tst_menus tst_singleinstance)

results=$build/wine-results
rm -rf "$results" && mkdir -p "$results"
failed=()
for test in "${tests[@]}"; do
    exe=$build/tests/$test.exe
    if [[ ! -f $exe ]]; then
        echo "$test: not built" >&2
        failed+=("$test")
        continue
    fi
    # Qt Test's own output goes to a file: Wine hands a console program's
    # standard output to a pipe unreliably.
    status=0
    timeout 600 wine "$exe" -o "$results/$test.txt,txt" >"$results/$test.wine.log" 2>&1 ||
        status=$?
    totals=$(grep '^Totals:' "$results/$test.txt" 2>/dev/null || true)
    grep -E '^(FAIL!|XPASS|QFATAL)' -A2 "$results/$test.txt" 2>/dev/null || true
    echo "$test: ${totals:-no result} (exit $status)"
    if [[ $status != 0 || ! $totals =~ \ 0\ failed ]]; then
        failed+=("$test")
    fi
done

# The program answers --version without a window, and an offscreen start
# comes up and ends on its own.
version=$(timeout 120 wine "$build/app/ostrel.exe" --version 2>/dev/null | tr -d '\r')
echo "ostrel.exe --version: $version"
[[ $version =~ ^ostrel\ [0-9] ]] || failed+=("ostrel.exe --version")
running=$(timeout 120 wine "$build/app/ostrel.exe" --quit-after 2000 2>/dev/null | tr -d '\r')
echo "ostrel.exe offscreen start: $running"
[[ $running == *"ostrel: running"* ]] || failed+=("ostrel.exe offscreen start")

wineserver -k || true
if [[ ${#failed[@]} != 0 ]]; then
    echo "failed under Wine: ${failed[*]}" >&2
    exit 1
fi
echo "all passed under Wine"
