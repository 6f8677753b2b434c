#!/bin/bash
# The Windows command-line tool against simulated modules, under Wine: a lab
# with two LANs (three modules behind eth0, two behind eth1), and
# ostrel-cli.exe on its computer side searches, reads every module, sets two
# parameters of a module on the second LAN and reads them back. The only
# end-to-end check that the Winsock engine talks to modules, out of the
# adapter each module is behind. Needs root.
# Usage: tools/wine-lab.sh [BUILD_DIR]   (default build-win; the simulator is
# the Linux build's, found by tools/lab.sh or named by OSTREL_SIM)
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=$(cd "${1:-build-win}" && pwd)
cli=$build/cli/ostrel-cli.exe
[[ -f $cli ]] || { echo "no $cli (cross-build first)" >&2; exit 1; }

if [[ ${2:-} != --inside ]]; then
    export OSTREL_LAB=ost-wine-$$
    # Wine cannot list the adapters behind a default route without gateway.
    export OSTREL_LAB_GATEWAY=192.168.1.1
    # The prefix of the lab's own wineserver, which must start in the lab.
    export OSTREL_WINEPREFIX=$build/wineprefix-lab
    rm -rf "$OSTREL_WINEPREFIX"
    trap '"$here/lab.sh" down' EXIT
    "$here/lab.sh" up 3 --lan2 2 | tee "$build/wine-lab-up.log"
    "$here/lab.sh" exec "$0" "$build" --inside
    exit
fi

# shellcheck source=wine-env.sh
source "$here/wine-env.sh" "$build" 2>/dev/null
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
cli() {
    timeout 120 wine "$cli" "$@" 2>&1 | tr -d '\r'
}

# Every module the simulators announced ("module N IP MAC"), on its LAN's
# adapter: the first three behind one adapter, the last two behind another.
mapfile -t modules < <(awk '/^module /{print $4, $3}' "$build/wine-lab-up.log")
[[ ${#modules[@]} == 5 ]] || fail "the lab announced ${#modules[@]} modules, not 5"

echo '$ ostrel-cli search'
found=$(cli search) || fail "search ended with an error"
echo "$found"
adapters=()
for module in "${modules[@]}"; do
    read -r mac ip <<<"$module"
    line=$(grep -E "^$mac +$ip +" <<<"$found" || true)
    [[ -n $line ]] || fail "search did not find $mac $ip"
    adapters+=("$(awk '{print $3}' <<<"$line")")
done
if [[ ${#adapters[@]} == 5 ]]; then
    [[ ${adapters[0]} == "${adapters[2]}" && ${adapters[3]} == "${adapters[4]}" &&
        ${adapters[0]} != "${adapters[3]}" ]] ||
        fail "modules not listed on their own LAN's adapter: ${adapters[*]}"
fi

echo '$ ostrel-cli read all'
table=$(cli read all) || fail "read all ended with an error"
echo "$table"
for module in "${modules[@]}"; do
    read -r mac ip <<<"$module"
    grep -qE "^$mac +ok .* $ip " <<<"$table" || fail "read all: $mac not read"
done

target=$(awk '{print $2}' <<<"${modules[4]}")
echo "\$ ostrel-cli set $target name=Pump dport=6100"
cli set "$target" name=Pump dport=6100 || fail "set ended with an error"
echo "\$ ostrel-cli read $target"
again=$(cli read "$target") || fail "read back ended with an error"
echo "$again"
grep -qE " $target .* 6100 .* Pump " <<<"$again" || fail "the set values did not read back"

wineserver -k || true
if [[ $failures != 0 ]]; then
    echo "lab under Wine: $failures failure(s)" >&2
    exit 1
fi
echo "lab under Wine: all passed"
