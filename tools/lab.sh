#!/bin/sh
# Virtual lab: a private LAN made of two network namespaces joined by a veth
# pair. The "computer" side runs the tool, the "field" side runs ostrel-sim
# with N simulated modules. The computer may have more adapters: a decoy
# container bridge listed before the LAN, and a second LAN with modules of its
# own. Nothing here touches the machine's own network: every end of every
# cable lives inside namespaces this script creates.
# Installed, this script is ostrel-lab.
set -eu

LAB=${OSTREL_LAB:-ostrel}
PC=$LAB-pc
FIELD=$LAB-field
FIELD2=$LAB-field2
PC_IP=${OSTREL_LAB_PC_IP:-192.168.1.10}
FIRST=${OSTREL_LAB_FIRST:-192.168.1.199}
PC_IP2=${OSTREL_LAB2_PC_IP:-192.168.2.10}
FIRST2=${OSTREL_LAB2_FIRST:-192.168.2.199}

usage() {
    me=${0##*/}
    cat <<EOF
Usage: $me COMMAND [ARGUMENTS]

Builds a private lab network for the Ostrel relay module tool: a "computer"
network namespace for the tool and a "field" namespace where ostrel-sim plays
the modules, joined by a virtual cable. Needs root.

Commands:
  up [N] [--decoy] [--lan2 M]
                build the lab with N modules (default 3) behind the
                computer's adapter eth0; --decoy first adds a container
                bridge docker0 (172.17.0.1/16, nothing behind it) that the
                system lists before eth0; --lan2 adds a second LAN with M
                modules behind eth1 (namespace <lab>-field2)
  down          tear it down
  demo [N] [--decoy] [--lan2 M]
                up, then the real window on the computer side; the lab goes
                down when the window closes
  cli-demo [N] [--decoy] [--lan2 M]
                up, then "ostrel-cli search" and "ostrel-cli read all" on the
                computer side (no display needed), then down
  mosquitto     start a mosquitto MQTT broker on the computer side (port
                1883 on the computer's address and on its loopback); it
                stops with the lab
  bridge-demo [N]
                up, mosquitto, then ostrel-bridge for the N modules (default
                2): a relay switched by a published command and an input
                switched by "ctl", as mosquitto_sub shows them; then down
  exec CMD...   run CMD on the computer side
  ctl [--lan2] LINE
                send a control command to the simulator (of the second LAN)
                (e.g. "input 1 3 on", "fault 2 twice")
  status        namespaces, simulators and their logs
  -h, --help    this text

Environment:
  OSTREL_LAB        lab name, prefix of the namespaces (default "ostrel":
                    namespaces ostrel-pc and ostrel-field)
  OSTREL_LAB_PC_IP  computer address (default 192.168.1.10)
  OSTREL_LAB_FIRST  first module address (default 192.168.1.199); the others
                    follow it; more than fit in the /24 switch to a /16
  OSTREL_LAB2_PC_IP, OSTREL_LAB2_FIRST
                    the same for the second LAN (192.168.2.10, 192.168.2.199)
  OSTREL_LAB_GATEWAY
                    a gateway for the computer's default route (none by
                    default; Wine needs one, e.g. 192.168.1.1)
  OSTREL_SIM        simulator executable (default: ostrel-sim beside this
                    script, else build/sim/ostrel-sim, else on PATH)
  OSTREL_SIM_ARGS   extra simulator options (e.g. "--broadcast --fault twice"),
                    for every LAN
  OSTREL_GUI        the tool (default: ostrel, looked for the same way)
  OSTREL_CLI        the command-line tool (default: ostrel-cli, the same way)
  OSTREL_BRIDGE     the MQTT bridge (default: ostrel-bridge, the same way)
EOF
}

# A program beside this script (installed), in a build folder (the current
# one or the one of the checkout this script belongs to), or on PATH.
find_program() {
    here=$(dirname "$0")
    for candidate in "$here/$1" "build/$2/$1" "$here/../build/$2/$1"; do
        if [ -f "$candidate" ] && [ -x "$candidate" ]; then
            echo "$candidate"
            return
        fi
    done
    command -v "$1" || echo "$1"
}

SIM=${OSTREL_SIM:-$(find_program ostrel-sim sim)}
GUI=${OSTREL_GUI:-$(find_program ostrel app)}
CLI=${OSTREL_CLI:-$(find_program ostrel-cli cli)}
BRIDGE=${OSTREL_BRIDGE:-$(find_program ostrel-bridge bridge)}
STATE=/run/ostrel-lab/$LAB

die() { echo "lab.sh: $*" >&2; exit 1; }

ip_to_int() {
    IFS=. read -r a b c d <<EOT
$1
EOT
    echo $(( (a << 24) | (b << 16) | (c << 8) | d ))
}

int_to_ip() {
    echo "$(( ($1 >> 24) & 255 )).$(( ($1 >> 16) & 255 )).$(( ($1 >> 8) & 255 )).$(( $1 & 255 ))"
}

# Sets count, decoy and lan2 from "[N] [--decoy] [--lan2 M]".
lab_options() {
    count=3
    decoy=0
    lan2=0
    while [ $# -gt 0 ]; do
        case $1 in
            --decoy) decoy=1 ;;
            --lan2)
                [ $# -ge 2 ] || die "--lan2 needs a module count"
                lan2=$2
                shift
                ;;
            -*) die "unknown option $1" ;;
            *) count=$1 ;;
        esac
        shift
    done
    for n in "$count" "$lan2"; do
        case $n in ''|*[!0-9]*) die "module count must be a number" ;; esac
    done
    [ "$count" -ge 1 ] || die "at least one module"
}

# One LAN: ADAPTER on the computer side, cabled to eth0 of namespace FIELD,
# where a simulator plays COUNT modules from FIRST_IP; its files go to DIR.
lan_up() {
    adapter=$1 field=$2 pc_ip=$3 first_ip=$4 n=$5 dir=$6
    first=$(ip_to_int "$first_ip")
    last=$(( first + n - 1 ))
    prefix=24
    [ $(( first >> 8 )) -eq $(( last >> 8 )) ] && [ $(( last & 255 )) -lt 255 ] || prefix=16
    [ $(( first >> 16 )) -eq $(( last >> 16 )) ] || die "too many modules for one /16"

    mkdir -p "$dir"
    ip netns add "$field"
    # Both ends are created straight inside the namespaces.
    ip link add "$adapter" netns "$PC" type veth peer name eth0 netns "$field"
    ip -n "$field" link set lo up
    ip -n "$field" link set eth0 up
    ip -n "$PC" link set "$adapter" up
    ip -n "$PC" addr add "$pc_ip/$prefix" dev "$adapter"
    ip -n "$field" route add default dev eth0
    i=$first
    while [ "$i" -le "$last" ]; do
        ip -n "$field" addr add "$(int_to_ip "$i")/$prefix" dev eth0
        i=$(( i + 1 ))
    done
    # A read-write FIFO never reports end of file, so the simulator keeps
    # listening for control commands written by "lab.sh ctl".
    rm -f "$dir/control"
    mkfifo "$dir/control"
    # shellcheck disable=SC2086
    ip netns exec "$field" "$SIM" --modules "$n" --first-ip "$first_ip" --dip "$pc_ip" \
        ${OSTREL_SIM_ARGS:-} <>"$dir/control" >"$dir/sim.log" 2>&1 &
    echo $! >"$dir/sim.pid"
    tries=0
    until grep -q '^ready' "$dir/sim.log" 2>/dev/null; do
        tries=$(( tries + 1 ))
        if [ $tries -gt 100 ] || ! kill -0 "$(cat "$dir/sim.pid")" 2>/dev/null; then
            cat "$dir/sim.log" >&2
            lab_down
            die "simulator did not start"
        fi
        sleep 0.05
    done
    echo "computer $pc_ip on $adapter, $n module(s) from $first_ip in $field"
    grep '^module' "$dir/sim.log"
}

lab_up() {
    lab_options "$@"
    [ "$(id -u)" = 0 ] || die "needs root (network namespaces)"
    [ -x "$SIM" ] || die "no simulator at $SIM (build first, or set OSTREL_SIM)"
    if ip netns list | grep -qw -- "$PC"; then die "lab $LAB is already up (tools/lab.sh down)"; fi

    mkdir -p "$STATE"
    ip netns add "$PC"
    ip -n "$PC" link set lo up
    if [ "$decoy" = 1 ]; then
        # Made first, so the system lists it before the LAN, as it often
        # lists a container bridge.
        ip -n "$PC" link add docker0 type bridge
        ip -n "$PC" addr add 172.17.0.1/16 dev docker0
        ip -n "$PC" link set docker0 up
        echo "decoy adapter docker0 172.17.0.1/16, nothing behind it"
    fi
    lan_up eth0 "$FIELD" "$PC_IP" "$FIRST" "$count" "$STATE"
    # Without a default route a socket bound to the wildcard address cannot
    # send to 255.255.255.255 unless it names the adapter. Wine 8.0 cannot
    # list the adapters (GetAdaptersAddresses with prefixes fails with
    # ERROR_INVALID_DATA) while that route names no gateway: the Windows
    # programs under Wine need OSTREL_LAB_GATEWAY.
    if [ -n "${OSTREL_LAB_GATEWAY:-}" ]; then
        ip -n "$PC" route add default via "$OSTREL_LAB_GATEWAY" dev eth0
    else
        ip -n "$PC" route add default dev eth0
    fi
    if [ "$lan2" -gt 0 ]; then
        lan_up eth1 "$FIELD2" "$PC_IP2" "$FIRST2" "$lan2" "$STATE/lan2"
    fi
    echo "lab $LAB up: computer side in namespace $PC"
}

lab_down() {
    if [ -f "$STATE/mosquitto.pid" ]; then
        pid=$(cat "$STATE/mosquitto.pid")
        if [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = mosquitto ]; then
            kill "$pid" 2>/dev/null || true
        fi
        rm -f "$STATE/mosquitto.pid" "$STATE/mosquitto.conf"
    fi
    for dir in "$STATE" "$STATE/lan2"; do
        if [ -f "$dir/sim.pid" ]; then
            pid=$(cat "$dir/sim.pid")
            if [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = ostrel-sim ]; then
                kill "$pid" 2>/dev/null || true
            fi
            rm -f "$dir/sim.pid"
        fi
        rm -f "$dir/control"
    done
    for ns in "$PC" "$FIELD" "$FIELD2"; do
        ip netns del "$ns" 2>/dev/null || true
    done
}

lab_exec() {
    ip netns list | grep -qw -- "$PC" || die "lab $LAB is not up"
    exec ip netns exec "$PC" "$@"
}

lab_demo() {
    [ -x "$GUI" ] || die "no tool at $GUI (build first, or set OSTREL_GUI)"
    lab_up "$@"
    trap lab_down EXIT INT TERM
    # X11 clients fall back from the abstract socket (which belongs to the
    # machine's own network namespace) to /tmp/.X11-unix, which is shared.
    user=${SUDO_USER:-root}
    [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] || DISPLAY=:0
    set --
    for name in DISPLAY XAUTHORITY WAYLAND_DISPLAY XDG_RUNTIME_DIR QT_QPA_PLATFORM; do
        eval "value=\${$name:-}"
        [ -z "$value" ] || set -- "$@" "$name=$value"
    done
    ip netns exec "$PC" runuser -u "$user" -- env "$@" "$GUI"
}

# The same flow as the window's, on a terminal: the modules found, then
# every parameter of each. Its exit code is that of the read.
lab_cli_demo() {
    [ -x "$CLI" ] || die "no ostrel-cli at $CLI (build first, or set OSTREL_CLI)"
    lab_up "$@"
    trap lab_down EXIT INT TERM
    status=0
    for step in search "read all"; do
        echo
        echo "\$ ostrel-cli $step"
        # shellcheck disable=SC2086
        ip netns exec "$PC" "$CLI" $step || status=$?
    done
    exit "$status"
}

# A broker on the computer side only, keeping nothing on disk.
lab_mosquitto() {
    ip netns list | grep -qw -- "$PC" || die "lab $LAB is not up"
    broker=$(command -v mosquitto || echo /usr/sbin/mosquitto)
    [ -x "$broker" ] || die "no mosquitto (apt-get install mosquitto mosquitto-clients)"
    printf 'listener 1883 %s\nlistener 1883 127.0.0.1\nallow_anonymous true\npersistence false\n' \
        "$PC_IP" >"$STATE/mosquitto.conf"
    ip netns exec "$PC" "$broker" -c "$STATE/mosquitto.conf" >"$STATE/mosquitto.log" 2>&1 &
    echo $! >"$STATE/mosquitto.pid"
    tries=0
    until ip netns exec "$PC" mosquitto_pub -h "$PC_IP" -t ostrel-lab/probe -n 2>/dev/null; do
        tries=$(( tries + 1 ))
        [ $tries -le 50 ] || die "mosquitto did not start (see $STATE/mosquitto.log)"
        sleep 0.1
    done
    echo "mosquitto listening on $PC_IP:1883 (computer side)"
}

lab_bridge_demo() {
    [ -x "$BRIDGE" ] || die "no ostrel-bridge at $BRIDGE (build first, or set OSTREL_BRIDGE)"
    lab_up "${1:-2}"
    trap lab_down EXIT INT TERM
    lab_mosquitto
    set --
    first_mac=
    while read -r _ _ ip mac; do
        set -- "$@" --module "$mac@$ip:12345"
        first_mac=${first_mac:-$(echo "$mac" | tr -d : | tr 'A-F' 'a-f')}
    done <<EOT
$(grep '^module' "$STATE/sim.log")
EOT
    ip netns exec "$PC" mosquitto_sub -h "$PC_IP" -v -t 'ostrel/#' >"$STATE/mqtt.log" &
    sub=$!
    ip netns exec "$PC" "$BRIDGE" --broker "$PC_IP" --poll 500 --client-id lab-bridge "$@" \
        --events "$STATE/events.jsonl" &
    bridge=$!
    sleep 2
    echo
    echo "\$ mosquitto_pub -t ostrel/$first_mac/relay/2/set -m ON"
    ip netns exec "$PC" mosquitto_pub -h "$PC_IP" -t "ostrel/$first_mac/relay/2/set" -m ON
    sleep 1
    echo "\$ lab.sh ctl \"input 1 3 on\""
    echo "input 1 3 on" >"$STATE/control"
    sleep 1.5
    kill "$bridge"
    wait "$bridge" || true
    sleep 0.3
    kill "$sub" 2>/dev/null || true
    echo
    echo "What mosquitto_sub saw (states, availability; discovery is under homeassistant/):"
    grep -e "/relay/2" -e "/input/3 " -e availability "$STATE/mqtt.log" || true
    echo
    echo "Events of the bridge:"
    grep -e command -e '"input":3' -e appeared "$STATE/events.jsonl" || true
}

command=${1:-}
[ $# -gt 0 ] && shift
case $command in
    up) lab_up "$@" ;;
    down) lab_down ;;
    demo) lab_demo "$@" ;;
    cli-demo) lab_cli_demo "$@" ;;
    mosquitto) lab_mosquitto ;;
    bridge-demo) lab_bridge_demo "$@" ;;
    exec) [ $# -gt 0 ] || die "exec needs a command"; lab_exec "$@" ;;
    ctl)
        dir=$STATE
        if [ "${1:-}" = --lan2 ]; then dir=$STATE/lan2; shift; fi
        [ -p "$dir/control" ] || die "lab $LAB (that LAN) is not up"
        echo "$*" >"$dir/control"
        sleep 0.1
        tail -n 5 "$dir/sim.log"
        ;;
    status)
        ip netns list | grep -w -e "$PC" -e "$FIELD" -e "$FIELD2" || echo "lab $LAB is down"
        for log in "$STATE/sim.log" "$STATE/lan2/sim.log"; do
            if [ -f "$log" ]; then tail -n 20 "$log"; fi
        done
        ;;
    -h|--help) usage ;;
    *) usage >&2; exit 2 ;;
esac
