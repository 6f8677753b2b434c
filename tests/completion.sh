#!/bin/bash
# The bash completion the package installs, as bash would call it: each
# line typed so far and the words it offers. The adapter names come from
# "ostrel-cli adapters", played here by a stand-in on PATH.
set -u
completion=$1
stub=$(mktemp -d)
trap 'rm -rf "$stub"' EXIT
cat >"$stub/ostrel-cli" <<'STUB'
#!/bin/sh
[ "$1" = adapters ] && printf 'NAME   ADDRESS\neth0   192.168.1.10\nwlan0  10.0.0.2\n'
STUB
chmod +x "$stub/ostrel-cli"
PATH=$stub:$PATH
# shellcheck source=/dev/null
source "$completion"

failures=0
expect() {
    local offered=$1
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _ostrel_cli
    if [ "${COMPREPLY[*]}" != "$offered" ]; then
        echo "FAIL: '$*' offers '${COMPREPLY[*]}', not '$offered'"
        failures=$((failures + 1))
    fi
}

expect "read relay relays" ostrel-cli re
expect "help" ostrel-cli hel
expect "read" ostrel-cli --timeout 5 rea
expect "write" ostrel-cli help wr
expect "port=" ostrel-cli set all po
expect "all" ostrel-cli default a
expect "--from" ostrel-cli write x --fr
expect "--tcp --time --timeout" ostrel-cli relay 10.0.0.1:1 --t
expect "--uart" ostrel-cli read --u
expect "zh_CN" ostrel-cli --lang z
expect "en" ostrel-cli read all --lang e
expect "--yes" ostrel-cli default all --ye
expect "" ostrel-cli relays --ye
expect "eth0 wlan0" ostrel-cli read all --adapter ""
expect "wlan0" ostrel-cli search --adapter w
expect "" ostrel-cli read --timeout ""
exit $((failures > 0))
