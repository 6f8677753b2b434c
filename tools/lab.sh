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

# A shell script has no translation files: what a person reads is chosen
# here, Chinese under a Chinese locale (the first of LC_ALL, LC_MESSAGES and
# LANG that is set decides, as it does for the programs), English otherwise.
chinese() {
    case ${LC_ALL:-${LC_MESSAGES:-${LANG:-}}} in
        zh_*) return 0 ;;
    esac
    return 1
}

# msg FORMAT [ARGUMENT...]: a line of printf's FORMAT, the English text that
# names its Chinese twin in the table.
msg() {
    format=$1
    shift
    if chinese; then
        case $format in
            '--lan2 needs a module count') format='--lan2 需要模块数量' ;;
            'unknown option %s') format='未知选项 %s' ;;
            'module count must be a number') format='模块数量必须是数字' ;;
            'at least one module') format='至少需要一个模块' ;;
            'too many modules for one /16') format='模块太多，一个 /16 放不下' ;;
            'simulator did not start') format='模拟器没有启动' ;;
            'computer %s on %s, %s module(s) from %s in %s')
                format='电脑 %s 在 %s 上，%s 个模块从 %s 起，在 %s 中' ;;
            'needs root (network namespaces)') format='需要 root（网络命名空间）' ;;
            'no simulator at %s (build first, or set OSTREL_SIM)')
                format='%s 处没有模拟器（请先构建，或设置 OSTREL_SIM）' ;;
            'lab %s is already up (tools/lab.sh down)')
                format='实验网 %s 已经搭建（tools/lab.sh down）' ;;
            'decoy adapter docker0 172.17.0.1/16, nothing behind it')
                format='诱饵适配器 docker0 172.17.0.1/16，后面什么也没有' ;;
            'lab %s up: computer side in namespace %s')
                format='实验网 %s 已搭建：电脑一侧在命名空间 %s 中' ;;
            'lab %s is not up') format='实验网 %s 没有搭建' ;;
            'no tool at %s (build first, or set OSTREL_GUI)')
                format='%s 处没有工具程序（请先构建，或设置 OSTREL_GUI）' ;;
            'no ostrel-cli at %s (build first, or set OSTREL_CLI)')
                format='%s 处没有 ostrel-cli（请先构建，或设置 OSTREL_CLI）' ;;
            'no mosquitto (apt-get install mosquitto mosquitto-clients)')
                format='没有 mosquitto（apt-get install mosquitto mosquitto-clients）' ;;
            'mosquitto did not start (see %s)') format='mosquitto 没有启动（见 %s）' ;;
            'mosquitto listening on %s:1883 (computer side)')
                format='mosquitto 在 %s:1883 上监听（电脑一侧）' ;;
            'no ostrel-bridge at %s (build first, or set OSTREL_BRIDGE)')
                format='%s 处没有 ostrel-bridge（请先构建，或设置 OSTREL_BRIDGE）' ;;
            'What mosquitto_sub saw (states, availability; discovery is under homeassistant/):')
                format='mosquitto_sub 看到的内容（状态、可用性；发现信息在 homeassistant/ 下）：' ;;
            'Events of the bridge:') format='桥接程序的事件：' ;;
            'exec needs a command') format='exec 需要一个命令' ;;
            'lab %s (that LAN) is not up') format='实验网 %s（该局域网）没有搭建' ;;
            'lab %s is down') format='实验网 %s 已拆除' ;;
        esac
    fi
    # The format is one of the table's own texts, never a value.
    # shellcheck disable=SC2059
    printf -- "$format\n" "$@"
}

usage() {
    me=${0##*/}
    if chinese; then
        cat <<EOF
用法：$me 命令 [参数]

为 Ostrel 继电器模块工具搭建私有实验网络：工具所在的"电脑"网络命名空间，
以及由 ostrel-sim 模拟模块的"现场"命名空间，两者由一根虚拟网线相连。需要 root。

命令：
  up [N] [--decoy] [--lan2 M]
                搭建实验网，电脑的适配器 eth0 后面有 N 个模块（默认 3）；
                --decoy 先加入系统排在 eth0 之前的容器网桥 docker0
                （172.17.0.1/16，后面什么也没有）；--lan2 再加入第二个局域网，
                eth1 后面有 M 个模块（命名空间 <lab>-field2）
  down          拆除实验网
  demo [N] [--decoy] [--lan2 M]
                搭建后在电脑一侧打开真正的窗口程序；窗口关闭时实验网随之拆除
  cli-demo [N] [--decoy] [--lan2 M]
                搭建后在电脑一侧运行 "ostrel-cli search" 和
                "ostrel-cli read all"（无需显示器），然后拆除
  mosquitto     在电脑一侧启动 mosquitto MQTT 代理（电脑地址和回环地址上的
                1883 端口）；随实验网一起停止
  bridge-demo [N]
                搭建实验网、启动 mosquitto，再为 N 个模块（默认 2）运行
                ostrel-bridge：由发布的命令开关一个继电器，由 "ctl" 开关一个
                输入，用 mosquitto_sub 显示；然后拆除
  exec CMD...   在电脑一侧运行 CMD
  ctl [--lan2] LINE
                向（第二个局域网的）模拟器发送控制命令
                （例如 "input 1 3 on"、"fault 2 twice"）
  status        命名空间、模拟器及其日志
  -h, --help    本帮助

环境变量：
  OSTREL_LAB        实验网名称，即命名空间的前缀（默认 "ostrel"：
                    命名空间 ostrel-pc 和 ostrel-field）
  OSTREL_LAB_PC_IP  电脑地址（默认 192.168.1.10）
  OSTREL_LAB_FIRST  第一个模块的地址（默认 192.168.1.199），其余依次排列；
                    /24 放不下时改用 /16
  OSTREL_LAB2_PC_IP, OSTREL_LAB2_FIRST
                    第二个局域网的同样设置（192.168.2.10、192.168.2.199）
  OSTREL_LAB_GATEWAY
                    电脑默认路由的网关（默认没有；Wine 需要，例如 192.168.1.1）
  OSTREL_SIM        模拟器程序（默认：本脚本旁边的 ostrel-sim，其次
                    build/sim/ostrel-sim，再次 PATH 中的）
  OSTREL_SIM_ARGS   额外的模拟器选项（例如 "--broadcast --fault twice"），
                    对每个局域网都有效
  OSTREL_GUI        工具程序（默认：ostrel，查找方式相同）
  OSTREL_CLI        命令行工具（默认：ostrel-cli，查找方式相同）
  OSTREL_BRIDGE     MQTT 桥接程序（默认：ostrel-bridge，查找方式相同）
EOF
        return
    fi
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

die() {
    printf 'lab.sh: ' >&2
    msg "$@" >&2
    exit 1
}

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
            -*) die 'unknown option %s' "$1" ;;
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
    msg 'computer %s on %s, %s module(s) from %s in %s' "$pc_ip" "$adapter" "$n" "$first_ip" "$field"
    grep '^module' "$dir/sim.log"
}

lab_up() {
    lab_options "$@"
    [ "$(id -u)" = 0 ] || die "needs root (network namespaces)"
    [ -x "$SIM" ] || die 'no simulator at %s (build first, or set OSTREL_SIM)' "$SIM"
    if ip netns list | grep -qw -- "$PC"; then die 'lab %s is already up (tools/lab.sh down)' "$LAB"; fi

    mkdir -p "$STATE"
    ip netns add "$PC"
    ip -n "$PC" link set lo up
    if [ "$decoy" = 1 ]; then
        # Made first, so the system lists it before the LAN, as it often
        # lists a container bridge.
        ip -n "$PC" link add docker0 type bridge
        ip -n "$PC" addr add 172.17.0.1/16 dev docker0
        ip -n "$PC" link set docker0 up
        msg 'decoy adapter docker0 172.17.0.1/16, nothing behind it'
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
    msg 'lab %s up: computer side in namespace %s' "$LAB" "$PC"
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
    ip netns list | grep -qw -- "$PC" || die 'lab %s is not up' "$LAB"
    exec ip netns exec "$PC" "$@"
}

lab_demo() {
    [ -x "$GUI" ] || die 'no tool at %s (build first, or set OSTREL_GUI)' "$GUI"
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
    [ -x "$CLI" ] || die 'no ostrel-cli at %s (build first, or set OSTREL_CLI)' "$CLI"
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
    ip netns list | grep -qw -- "$PC" || die 'lab %s is not up' "$LAB"
    broker=$(command -v mosquitto || echo /usr/sbin/mosquitto)
    [ -x "$broker" ] || die "no mosquitto (apt-get install mosquitto mosquitto-clients)"
    printf 'listener 1883 %s\nlistener 1883 127.0.0.1\nallow_anonymous true\npersistence false\n' \
        "$PC_IP" >"$STATE/mosquitto.conf"
    ip netns exec "$PC" "$broker" -c "$STATE/mosquitto.conf" >"$STATE/mosquitto.log" 2>&1 &
    echo $! >"$STATE/mosquitto.pid"
    tries=0
    until ip netns exec "$PC" mosquitto_pub -h "$PC_IP" -t ostrel-lab/probe -n 2>/dev/null; do
        tries=$(( tries + 1 ))
        [ $tries -le 50 ] || die 'mosquitto did not start (see %s)' "$STATE/mosquitto.log"
        sleep 0.1
    done
    msg 'mosquitto listening on %s:1883 (computer side)' "$PC_IP"
}

lab_bridge_demo() {
    [ -x "$BRIDGE" ] || die 'no ostrel-bridge at %s (build first, or set OSTREL_BRIDGE)' "$BRIDGE"
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
    msg 'What mosquitto_sub saw (states, availability; discovery is under homeassistant/):'
    grep -e "/relay/2" -e "/input/3 " -e availability "$STATE/mqtt.log" || true
    echo
    msg 'Events of the bridge:'
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
        [ -p "$dir/control" ] || die 'lab %s (that LAN) is not up' "$LAB"
        echo "$*" >"$dir/control"
        sleep 0.1
        tail -n 5 "$dir/sim.log"
        ;;
    status)
        ip netns list | grep -w -e "$PC" -e "$FIELD" -e "$FIELD2" || msg 'lab %s is down' "$LAB"
        for log in "$STATE/sim.log" "$STATE/lan2/sim.log"; do
            if [ -f "$log" ]; then tail -n 20 "$log"; fi
        done
        ;;
    -h|--help) usage ;;
    *) usage >&2; exit 2 ;;
esac
