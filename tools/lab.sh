#!/bin/sh
# Virtual lab: a private LAN made of two network namespaces joined by a veth
# pair. The "computer" side runs the tool, the "field" side runs ostrel-sim
# with N simulated modules. Nothing here touches the machine's own network:
# both ends of the cable live inside namespaces this script creates.
# Installed, this script is ostrel-lab.
set -eu

LAB=${OSTREL_LAB:-ostrel}
PC=$LAB-pc
FIELD=$LAB-field
PC_IP=${OSTREL_LAB_PC_IP:-192.168.1.10}
FIRST=${OSTREL_LAB_FIRST:-192.168.1.199}

usage() {
    me=${0##*/}
    cat <<EOF
Usage: $me COMMAND [ARGUMENTS]

Builds a private lab network for the Ostrel relay module tool: a "computer"
network namespace for the tool and a "field" namespace where ostrel-sim plays
the modules, joined by a virtual cable. Needs root.

Commands:
  up [N]        build the lab with N modules (default 3)
  down          tear it down
  demo [N]      up, then the real window on the computer side; the lab goes
                down when the window closes
  exec CMD...   run CMD on the computer side
  ctl LINE      send a control command to the simulator
                (e.g. "input 1 3 on", "fault 2 twice")
  status        namespaces, simulator and its log
  -h, --help    this text

Environment:
  OSTREL_LAB        lab name, prefix of the namespaces (default "ostrel":
                    namespaces ostrel-pc and ostrel-field)
  OSTREL_LAB_PC_IP  computer address (default 192.168.1.10)
  OSTREL_LAB_FIRST  first module address (default 192.168.1.199); the others
                    follow it; more than fit in the /24 switch to a /16
  OSTREL_SIM        simulator executable (default: ostrel-sim beside this
                    script, else build/sim/ostrel-sim, else on PATH)
  OSTREL_SIM_ARGS   extra simulator options (e.g. "--broadcast --fault twice")
  OSTREL_GUI        the tool (default: ostrel, looked for the same way)
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

lab_up() {
    count=${1:-3}
    case $count in ''|*[!0-9]*) die "module count must be a number" ;; esac
    [ "$count" -ge 1 ] || die "at least one module"
    [ "$(id -u)" = 0 ] || die "needs root (network namespaces)"
    [ -x "$SIM" ] || die "no simulator at $SIM (build first, or set OSTREL_SIM)"
    if ip netns list | grep -qw -- "$PC"; then die "lab $LAB is already up (tools/lab.sh down)"; fi

    first=$(ip_to_int "$FIRST")
    last=$(( first + count - 1 ))
    prefix=24
    [ $(( first >> 8 )) -eq $(( last >> 8 )) ] && [ $(( last & 255 )) -lt 255 ] || prefix=16
    [ $(( first >> 16 )) -eq $(( last >> 16 )) ] || die "too many modules for one /16"

    mkdir -p "$STATE"
    ip netns add "$PC"
    ip netns add "$FIELD"
    # Both ends are created straight inside the namespaces.
    ip link add eth0 netns "$PC" type veth peer name eth0 netns "$FIELD"
    for ns in "$PC" "$FIELD"; do
        ip -n "$ns" link set lo up
        ip -n "$ns" link set eth0 up
    done
    ip -n "$PC" addr add "$PC_IP/$prefix" dev eth0
    # Without a default route a socket bound to the wildcard address cannot
    # send to 255.255.255.255; the cable is the only way out anyway.
    ip -n "$PC" route add default dev eth0
    ip -n "$FIELD" route add default dev eth0
    i=$first
    while [ "$i" -le "$last" ]; do
        ip -n "$FIELD" addr add "$(int_to_ip "$i")/$prefix" dev eth0
        i=$(( i + 1 ))
    done
    # A read-write FIFO never reports end of file, so the simulator keeps
    # listening for control commands written by "lab.sh ctl".
    rm -f "$STATE/control"
    mkfifo "$STATE/control"
    # shellcheck disable=SC2086
    ip netns exec "$FIELD" "$SIM" --modules "$count" --first-ip "$FIRST" --dip "$PC_IP" \
        ${OSTREL_SIM_ARGS:-} <>"$STATE/control" >"$STATE/sim.log" 2>&1 &
    echo $! >"$STATE/sim.pid"
    tries=0
    until grep -q '^ready' "$STATE/sim.log" 2>/dev/null; do
        tries=$(( tries + 1 ))
        if [ $tries -gt 100 ] || ! kill -0 "$(cat "$STATE/sim.pid")" 2>/dev/null; then
            cat "$STATE/sim.log" >&2
            lab_down
            die "simulator did not start"
        fi
        sleep 0.05
    done
    echo "lab $LAB up: computer $PC_IP in namespace $PC, $count module(s) from $FIRST in $FIELD"
    grep '^module' "$STATE/sim.log"
}

lab_down() {
    if [ -f "$STATE/sim.pid" ]; then
        pid=$(cat "$STATE/sim.pid")
        if [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = ostrel-sim ]; then
            kill "$pid" 2>/dev/null || true
        fi
        rm -f "$STATE/sim.pid"
    fi
    ip netns del "$PC" 2>/dev/null || true
    ip netns del "$FIELD" 2>/dev/null || true
    rm -f "$STATE/control"
}

lab_exec() {
    ip netns list | grep -qw -- "$PC" || die "lab $LAB is not up"
    exec ip netns exec "$PC" "$@"
}

lab_demo() {
    [ -x "$GUI" ] || die "no tool at $GUI (build first, or set OSTREL_GUI)"
    lab_up "${1:-3}"
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

command=${1:-}
[ $# -gt 0 ] && shift
case $command in
    up) lab_up "${1:-3}" ;;
    down) lab_down ;;
    demo) lab_demo "${1:-3}" ;;
    exec) [ $# -gt 0 ] || die "exec needs a command"; lab_exec "$@" ;;
    ctl)
        [ -p "$STATE/control" ] || die "lab $LAB is not up"
        echo "$*" >"$STATE/control"
        sleep 0.1
        tail -n 5 "$STATE/sim.log"
        ;;
    status)
        ip netns list | grep -w -e "$PC" -e "$FIELD" || echo "lab $LAB is down"
        [ -f "$STATE/sim.log" ] && tail -n 20 "$STATE/sim.log"
        ;;
    -h|--help) usage ;;
    *) usage >&2; exit 2 ;;
esac
