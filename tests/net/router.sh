#!/usr/bin/env bash
# A home network behind a UPnP router, made of network namespaces, for the network tests. Nothing
# here touches the machine's own interfaces: every address lives only inside these namespaces.
#
#   <tag>-pc    the player's PC: pc0 192.168.77.10/24, default route and 224.0.0.0/4 via the router.
#               Made once per run (pc-up); Xvfb, the wineserver and every Wine process of the network
#               tests run in it. The router's side is made and removed per test (up, down).
#   <tag>-pc2   a second PC on the LAN: pc0 192.168.77.20/24 (with --decoy, a stand-in device on 8080)
#   <tag>-rtr   the router: bridge br-lan 192.168.77.1/24, WAN r-wan, miniupnpd on br-lan port 5000
#               (with --natpmp, NAT-PMP and PCP on UDP 5351 as well), nftables table inet mht whose
#               chains miniupnpd fills
#   <tag>-wan   a friend on the internet side: w0, .2 of the WAN subnet; the router is .1
#
# WAN modes (up --wan): public  r-wan 10.99.0.1/24, miniupnpd told ext_ip=<a random public address>
#                               (a label only: nothing is ever sent to it; miniupnpd will not forward
#                               while its WAN address is a reserved one, hence the label)
#                       cgnat   r-wan 100.64.10.1/24, no ext_ip: the router has no public address
#                       private r-wan 10.99.0.1/24, no ext_ip: a second router in front
#
# usage: router.sh pc-up | pc-down          the PC's namespace (scripts/test.sh)
#        router.sh up [--wan MODE] [--no-daemon] [--rule 'deny P 0.0.0.0/0 0-65535']...
#                     [--natpmp] [--only pcp|natpmp] [--lifetime MIN MAX]
#                     [--standin 'OPTIONS'] [--decoy 'OPTIONS']
#                                           --natpmp: miniupnpd answers NAT-PMP and PCP on UDP 5351.
#                                           --only (implies --natpmp): the router drops requests of
#                                           the other protocol (by their first byte, the version:
#                                           NAT-PMP 0, PCP 2), so only that one is answered.
#                                           --lifetime: the shortest and longest PCP lifetime granted
#                                           (miniupnpd's min_lifetime and max_lifetime; it grants
#                                           NAT-PMP lifetimes as asked)
#                                           --standin: standin_router.py with these options is the
#                                           router (192.168.77.1:5000) instead of miniupnpd; its
#                                           log is miniupnpd.log, its lease file upnp.leases.
#                                           --decoy: standin_router.py in the second PC as well
#                                           (192.168.77.20:8080, decoy.log, decoy.leases)
#        router.sh restart                  miniupnpd (or the stand-in router) starts again with the
#                                           same configuration and forgets: its rules and lease file
#                                           are gone, and its NAT-PMP and PCP epoch starts again at 0
#        router.sh stop                     the router's daemon ends (it answers nothing any more);
#                                           its rules stay
#        router.sh down                     the router, the second PC and the friend
#        router.sh guard [--session]        refuses unless the caller and every Wine process of
#                                           $WINEPREFIX, its wineserver first (with --session: one
#                                           must run), are in the PC, and the PC has only lo and pc0
#        router.sh leases | nft             the lease file, the rules miniupnpd added
#        router.sh map pc|pc2 PORT DESCRIPTION PROTO...   that PC maps PORT to itself (upnpc)
#        router.sh echo PORT                the friend's TCP and UDP echo through the router
#        router.sh in pc|pc2|rtr|wan CMD...
#        router.sh sweep                    removes namespaces left by runs that are gone
# Environment: MHT_NET_TAG (namespace names, e.g. mht1234), MHT_NET_STATE (a folder of the run's own).
# Needs root, iproute2, nftables, miniupnpd, miniupnpd-nftables, miniupnpc, python3.
set -euo pipefail
export PATH=/usr/sbin:/usr/bin:/sbin:/bin

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
TAG=${MHT_NET_TAG:?names the namespaces}
STATE=${MHT_NET_STATE:?is the run state folder}
PC=$TAG-pc PC2=$TAG-pc2 RTR=$TAG-rtr WAN=$TAG-wan
LAN=192.168.77
HTTP_PORT=5000
DECOY_PORT=8080
PMP_PORT=5351

die() { echo "router: $*" >&2; exit 1; }
nsx() { local ns=$1; shift; ip netns exec "$ns" "$@"; }
have_ns() { [ -e "/run/netns/$1" ]; }
ns_id() { stat -L -c %i "$1"; }

# Runs a command detached, with no descriptor of ours but the ones given: a Wine process that
# starts this script passes it a pipe that must not stay open in a daemon.
detached() {
    local fd
    for fd in $(ls /proc/$BASHPID/fd); do
        [ "$fd" -gt 2 ] && eval "exec $fd>&-" 2>/dev/null || true
    done
    exec setsid "$@"
}

# A public address that no one can guess: first octet of a unicast /8 that holds no reserved block.
random_public_ip() {
    local first
    while :; do
        first=$((RANDOM % 223 + 1))
        case $first in 10|100|127|169|172|192|198|203) continue ;; esac
        echo "$first.$((RANDOM % 256)).$((RANDOM % 256)).$((RANDOM % 254 + 1))"
        return
    done
}

# Wine's sockets belong to the wineserver: a program under Wine sends from the wineserver's
# namespace, whatever namespace the program itself runs in. So the caller (a test under Wine, or
# the script that starts one) must be in the PC's namespace, and so must every wineserver and
# every Wine process of $WINEPREFIX. A wineserver is known by its folder, server-<dev>-<inode> of
# the prefix, which is its working directory.
cmd_guard() {
    local need_server=0 prefix want server pid exe cwd found=0
    [ "${1:-}" = --session ] && need_server=1
    have_ns "$PC" || die "no namespace $PC"
    want=$(ns_id "/run/netns/$PC")
    [ "$(ns_id /proc/$$/ns/net)" = "$want" ] || die "the caller is not in $PC"
    prefix=${WINEPREFIX:?WINEPREFIX is not set}
    if [ ! -d "$prefix" ]; then
        [ $need_server = 0 ] || die "no Wine prefix $prefix"
        echo "guard: $prefix is not made yet"
        return 0
    fi
    server="server-$(stat -c %D "$prefix")-$(printf %x "$(stat -c %i "$prefix")")"
    for pid in $(ls /proc | grep -E '^[0-9]+$'); do
        exe=$(readlink "/proc/$pid/exe" 2>/dev/null) || continue
        case ${exe##*/} in
            wineserver*)
                cwd=$(readlink "/proc/$pid/cwd" 2>/dev/null) || continue
                [ "${cwd##*/}" = "$server" ] || continue
                found=1 ;;
            wine*)
                tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$prefix" || continue ;;
            *) continue ;;
        esac
        [ "$(ns_id "/proc/$pid/ns/net" 2>/dev/null)" = "$want" ] \
            || die "Wine process $pid ($exe) of $prefix runs outside $PC"
    done
    [ $need_server = 0 ] || [ $found = 1 ] || die "no wineserver of $prefix runs"
    # The PC reaches nothing but the router's LAN.
    local links
    links=$(nsx "$PC" ip -o link show | awk -F': ' '{print $2}' | sed 's/@.*//' | sort | tr '\n' ' ')
    case $links in "lo " | "lo pc0 ") ;; *) die "$PC has interfaces other than lo and pc0: $links" ;; esac
    echo "guard: the caller and the Wine processes of $prefix are in $PC"
}

cmd_pc_up() {
    have_ns "$PC" && die "$PC exists"
    mkdir -p "$STATE"
    ip netns add "$PC"
    nsx "$PC" ip link set lo up
}

# Ends what runs in a namespace and removes it.
remove_ns() {
    local ns=$1 pid n
    have_ns "$ns" || return 0
    for pid in $(ip netns pids "$ns" 2>/dev/null); do kill "$pid" 2>/dev/null || true; done
    for n in $(seq 40); do
        [ -z "$(ip netns pids "$ns" 2>/dev/null)" ] && break
        sleep 0.05
    done
    for pid in $(ip netns pids "$ns" 2>/dev/null); do kill -9 "$pid" 2>/dev/null || true; done
    ip netns del "$ns"
}

cmd_pc_down() {
    cmd_down >/dev/null
    remove_ns "$PC"
}

# write_conf WAN NATPMP MIN_LIFETIME MAX_LIFETIME RULE...: the lifetimes may be empty.
write_conf() {
    local wan=$1 natpmp=$2 min_lifetime=$3 max_lifetime=$4; shift 4
    {
        echo "ext_ifname=r-wan"
        echo "listening_ip=br-lan"
        echo "http_port=$HTTP_PORT"
        [ "$wan" = public ] && echo "ext_ip=$(cat "$STATE/ext_ip")"
        echo "secure_mode=yes"
        echo "ipv6_disable=yes"
        echo "enable_natpmp=$natpmp"
        [ -z "$min_lifetime" ] || echo "min_lifetime=$min_lifetime"
        [ -z "$max_lifetime" ] || echo "max_lifetime=$max_lifetime"
        echo "upnp_table_name=mht"
        echo "upnp_nat_table_name=mht"
        echo "lease_file=$STATE/upnp.leases"
        echo "uuid=3ddcd1d3-2380-45f5-b069-2c4d54008cf2"
        echo "friendly_name=Test Router"
        local rule
        for rule in "$@"; do echo "$rule"; done
        echo "allow 1024-65535 $LAN.0/24 1024-65535"
        echo "deny 0-65535 0.0.0.0/0 0-65535"
    } >"$STATE/miniupnpd.conf"
}

# The chains miniupnpd fills: its nftables backend adds rules but does not make the chains.
load_nft() {
    nsx "$RTR" nft -f - <<'NFT'
table inet mht {
    chain forward {
        type filter hook forward priority 0; policy drop;
        ct state established,related accept
        jump miniupnpd
    }
    chain miniupnpd {
    }
    chain prerouting {
        type nat hook prerouting priority -100; policy accept;
        jump prerouting_miniupnpd
    }
    chain postrouting {
        type nat hook postrouting priority 100; policy accept;
        jump postrouting_miniupnpd
    }
    chain prerouting_miniupnpd {
    }
    chain postrouting_miniupnpd {
    }
}
NFT
}

# The router answers only one of NAT-PMP and PCP: UDP to its port whose first payload byte is the
# other protocol's version (NAT-PMP 0, PCP 2) is dropped on the way in.
load_only() {
    local only=$1 drop
    case $only in pcp) drop=0 ;; natpmp) drop=2 ;; *) die "--only pcp|natpmp" ;; esac
    nsx "$RTR" nft -f - <<NFT
table inet mht {
    chain input {
        type filter hook input priority 0; policy accept;
        udp dport $PMP_PORT @th,64,8 $drop drop
    }
}
NFT
}

daemon_start() {
    : >"$STATE/miniupnpd.log"
    rm -f "$STATE/miniupnpd.pidfile"
    (detached ip netns exec "$RTR" /usr/sbin/miniupnpd -d -f "$STATE/miniupnpd.conf" \
        -P "$STATE/miniupnpd.pidfile" >>"$STATE/miniupnpd.log" 2>&1 </dev/null) &
    echo $! >"$STATE/miniupnpd.pid"
    local n pmp=0
    grep -qx "enable_natpmp=yes" "$STATE/miniupnpd.conf" && pmp=1
    for n in $(seq 100); do
        if nsx "$RTR" ss -ltn 2>/dev/null | grep -q ":$HTTP_PORT "; then
            [ $pmp = 0 ] && return 0
            nsx "$RTR" ss -lun 2>/dev/null | grep -q ":$PMP_PORT " && return 0
        fi
        kill -0 "$(cat "$STATE/miniupnpd.pid")" 2>/dev/null || { cat "$STATE/miniupnpd.log" >&2; die "miniupnpd ended"; }
        sleep 0.05
    done
    [ $pmp = 0 ] || die "miniupnpd did not listen on port $HTTP_PORT and UDP $PMP_PORT"
    die "miniupnpd did not listen on port $HTTP_PORT"
}

# standin_start NAME NS ADDRESS PORT LOG LEASES OPTIONS: standin_router.py in a namespace, its pid in
# NAME.pid; returns once it listens. Its log is emptied first, unless KEEP_LOG=1.
standin_start() {
    local name=$1 ns=$2 address=$3 port=$4 log=$5 leases=$6 options=$7 n
    [ "${KEEP_LOG:-0}" = 1 ] || : >"$STATE/$log"
    (detached ip netns exec "$ns" python3 "$HERE/standin_router.py" --address "$address" --port "$port" \
        --leases "$STATE/$leases" --log "$STATE/$log" --external "$(cat "$STATE/ext_ip")" --options "$options" \
        >>"$STATE/$name.out" 2>&1 </dev/null) &
    echo $! >"$STATE/$name.pid"
    for n in $(seq 100); do
        nsx "$ns" ss -ltn 2>/dev/null | grep -q "$address:$port " && return 0
        kill -0 "$(cat "$STATE/$name.pid")" 2>/dev/null || { cat "$STATE/$name.out" >&2; die "$name ended"; }
        sleep 0.05
    done
    die "$name did not listen on $address:$port"
}

cmd_up() {
    local wan=public daemon=1 rules=() wan_net host n=0 standin= decoy= with_standin=0 with_decoy=0
    local natpmp=no only= min_lifetime= max_lifetime=
    while [ $# -gt 0 ]; do
        case $1 in
            --wan) wan=$2; shift 2 ;;
            --natpmp) natpmp=yes; shift ;;
            --only) only=$2; natpmp=yes; shift 2 ;;
            --lifetime) min_lifetime=$2; max_lifetime=$3; shift 3 ;;
            --no-daemon) daemon=0; shift ;;
            --rule) rules+=("$2"); shift 2 ;;
            --standin) standin=$2; with_standin=1; daemon=0; shift 2 ;;
            --decoy) decoy=$2; with_decoy=1; shift 2 ;;
            *) die "unknown option $1" ;;
        esac
    done
    case $wan in
        public|private) wan_net=10.99.0 ;;
        cgnat) wan_net=100.64.10 ;;
        *) die "--wan public|cgnat|private" ;;
    esac
    have_ns "$PC" || die "no namespace $PC (pc-up first)"
    cmd_down >/dev/null  # what a failed test left
    rm -f "$STATE/upnp.leases" "$STATE/ext_ip" "$STATE/decoy.leases" "$STATE/standin.out" "$STATE/decoy.out"
    : >"$STATE/miniupnpd.log"
    : >"$STATE/decoy.log"
    random_public_ip >"$STATE/ext_ip"
    for host in "$PC2" "$RTR" "$WAN"; do
        ip netns add "$host"
        nsx "$host" ip link set lo up
    done

    nsx "$RTR" ip link add br-lan type bridge
    # Bridged LAN traffic would otherwise meet the router's forward chain (policy drop).
    nsx "$RTR" sysctl -qw net.bridge.bridge-nf-call-iptables=0 2>/dev/null || true
    nsx "$RTR" ip addr add $LAN.1/24 dev br-lan
    nsx "$RTR" ip link set br-lan up
    for host in "$PC" "$PC2"; do
        n=$((n + 1))
        ip link add r-pc$n netns "$RTR" type veth peer name pc0 netns "$host"
        nsx "$RTR" ip link set r-pc$n master br-lan up
        nsx "$host" ip addr add $LAN.$((n * 10))/24 dev pc0
        nsx "$host" ip link set pc0 up
        nsx "$host" ip route add default via $LAN.1
        nsx "$host" ip route add 224.0.0.0/4 dev pc0  # SSDP, 239.255.255.250
    done
    ip link add r-wan netns "$RTR" type veth peer name w0 netns "$WAN"
    nsx "$RTR" ip addr add $wan_net.1/24 dev r-wan
    nsx "$RTR" ip link set r-wan up
    nsx "$WAN" ip addr add $wan_net.2/24 dev w0
    nsx "$WAN" ip link set w0 up
    nsx "$RTR" sysctl -qw net.ipv4.ip_forward=1

    load_nft
    [ -z "$only" ] || load_only "$only"
    write_conf "$wan" $natpmp "$min_lifetime" "$max_lifetime" ${rules[@]+"${rules[@]}"}
    [ $daemon = 1 ] && daemon_start
    printf '%s' "$standin" >"$STATE/standin.options"
    [ $with_standin = 1 ] && standin_start standin "$RTR" $LAN.1 $HTTP_PORT miniupnpd.log upnp.leases "$standin"
    [ $with_decoy = 1 ] && standin_start decoy "$PC2" $LAN.20 $DECOY_PORT decoy.log decoy.leases "$decoy"
    echo "up: wan=$wan ext_ip=$(cat "$STATE/ext_ip") router=$LAN.1:$HTTP_PORT friend=$wan_net.2 daemon=$daemon" \
        "natpmp=$natpmp only=$only lifetime=$min_lifetime${max_lifetime:+-$max_lifetime}" \
        "standin=${standin:+[$standin]} decoy=${decoy:+[$decoy]}"
}

# miniupnpd as after a reboot of the router: stopped, its rules and leases gone, started again with
# the same configuration (its NAT-PMP and PCP epoch counts from its start).
# Stops the router's daemon (miniupnpd or the stand-in); its name in STOPPED.
router_stop() {
    local pid n
    if [ -f "$STATE/miniupnpd.pid" ]; then STOPPED=miniupnpd
    elif [ -f "$STATE/standin.pid" ]; then STOPPED=standin
    else die "no router runs"; fi
    pid=$(cat "$STATE/$STOPPED.pid")
    kill "$pid" 2>/dev/null || true
    for n in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.05
    done
    kill -0 "$pid" 2>/dev/null && die "$STOPPED (pid $pid) did not stop"
    rm -f "$STATE/$STOPPED.pid"
}

# The router stops answering: its daemon ends, what it forwards stays.
cmd_stop() {
    router_stop
    echo "stopped: $STOPPED"
}

cmd_restart() {
    local chain
    router_stop
    rm -f "$STATE/upnp.leases"
    for chain in miniupnpd prerouting_miniupnpd postrouting_miniupnpd; do
        nsx "$RTR" nft flush chain inet mht $chain
    done
    if [ $STOPPED = miniupnpd ]; then
        daemon_start
    else
        # The stand-in starts with no mapping; its log goes on.
        KEEP_LOG=1 standin_start standin "$RTR" $LAN.1 $HTTP_PORT miniupnpd.log upnp.leases \
            "$(cat "$STATE/standin.options")"
    fi
    echo "restarted: $STOPPED pid $(cat "$STATE/$STOPPED.pid")"
}

cmd_down() {
    local pid name
    for name in miniupnpd standin decoy; do
        [ -f "$STATE/$name.pid" ] || continue
        pid=$(cat "$STATE/$name.pid")
        kill "$pid" 2>/dev/null || true
        rm -f "$STATE/$name.pid"
    done
    remove_ns "$WAN"
    remove_ns "$PC2"
    remove_ns "$RTR"
    # The PC's pc0 goes with its peer, once the kernel has cleaned up the router's namespace.
    local n
    for n in $(seq 100); do
        have_ns "$PC" && nsx "$PC" ip link show pc0 >/dev/null 2>&1 || break
        sleep 0.05
    done
    have_ns "$PC" && nsx "$PC" ip link show pc0 >/dev/null 2>&1 && die "the PC's pc0 outlived the router"
    echo down
}

cmd_leases() { cat "$STATE/upnp.leases" 2>/dev/null || true; }

# The rules miniupnpd added to its chains, one line each, as
#   forward <tcp|udp> <external port> <internal address>
#   dnat <tcp|udp> <external port> <internal address>:<internal port>
# (its nftables backend writes the protocol and the address as raw header matches); then the
# chains as nft lists them.
cmd_nft() {
    local chain raw line proto port addr to
    raw=$(for chain in miniupnpd prerouting_miniupnpd; do nsx "$RTR" nft list chain inet mht $chain; done)
    while read -r line; do
        case $line in *dport*) ;; *) continue ;; esac
        case $line in *"@nh,72,8 0x6 "*) proto=tcp ;; *"@nh,72,8 0x11 "*) proto=udp ;; *) proto=other ;; esac
        port=$(sed -E 's/.*dport ([0-9]+).*/\1/' <<<"$line")
        if [[ $line == *"dnat ip to "* ]]; then
            to=$(sed -E 's/.*dnat ip to ([0-9.:]+).*/\1/' <<<"$line")
            echo "dnat $proto $port $to"
        elif [[ $line =~ @nh,128,32\ 0x([0-9a-f]{8}) ]]; then
            addr=${BASH_REMATCH[1]}
            echo "forward $proto $port $((16#${addr:0:2})).$((16#${addr:2:2})).$((16#${addr:4:2})).$((16#${addr:6:2}))"
        else
            echo "unknown $line"
        fi
    done <<<"$raw"
    echo "--- nft"
    echo "$raw"
}

# A client that is not the program maps ports to the PC it runs on: map pc|pc2 PORT DESCRIPTION PROTO...
cmd_map() {
    local host=$1 port=$2 description=$3 proto ns address
    shift 3
    case $host in pc) ns=$PC address=$LAN.10 ;; pc2) ns=$PC2 address=$LAN.20 ;; *) die "map pc|pc2 ..." ;; esac
    for proto in "$@"; do
        nsx "$ns" upnpc -u "http://$LAN.1:$HTTP_PORT/rootDesc.xml" -e "$description" -a $address "$port" "$port" "$proto" 0 \
            >>"$STATE/upnpc.log" 2>&1 || die "upnpc in $ns failed (see $STATE/upnpc.log)"
    done
}

# A game server stand-in on the PC and the friend on the WAN side, aimed at the router's WAN
# address. Succeeds when both echoes came back.
cmd_echo() {
    local port=$1 wan_ip server out
    wan_ip=$(nsx "$RTR" ip -4 -o addr show dev r-wan | sed -E 's/.* inet ([0-9.]+).*/\1/')
    (detached ip netns exec "$PC" python3 "$HERE/friend.py" server 0.0.0.0 "$port" \
        >"$STATE/echo-server.log" 2>&1 </dev/null) &
    server=$!
    local n
    for n in $(seq 100); do
        nsx "$PC" ss -lnt | grep -q ":$port " && nsx "$PC" ss -lnu | grep -q ":$port " && break
        sleep 0.05
    done
    out=$(nsx "$WAN" python3 "$HERE/friend.py" client "$wan_ip" "$port" 2>&1) || true
    for n in $(seq 20); do kill -0 "$server" 2>/dev/null || break; sleep 0.05; done
    kill "$server" 2>/dev/null || true
    echo "$out"
    grep -qx "tcp: tcp-echo friend" <<<"$out" && grep -qx "udp: udp-echo friend" <<<"$out"
}

cmd_sweep() {
    local ns pid
    for ns in $(ip netns list | awk '{print $1}' | grep -E '^mht[0-9]+-(pc|pc2|rtr|wan|suite)$' || true); do
        pid=${ns%%-*}; pid=${pid#mht}
        kill -0 "$pid" 2>/dev/null && continue
        remove_ns "$ns"
    done
}

case ${1:-} in
    pc-up) cmd_pc_up ;;
    pc-down) cmd_pc_down ;;
    up) shift; cmd_up "$@" ;;
    down) cmd_down ;;
    restart) cmd_restart ;;
    stop) cmd_stop ;;
    guard) shift; cmd_guard "$@" ;;
    leases) cmd_leases ;;
    nft) cmd_nft ;;
    map) shift; cmd_map "$@" ;;
    echo) shift; cmd_echo "$@" ;;
    in)
        shift
        case ${1:-} in pc|pc2|rtr|wan) ns=$TAG-$1 ;; *) die "in pc|pc2|rtr|wan CMD..." ;; esac
        shift
        have_ns "$ns" || die "no namespace $ns"
        nsx "$ns" "$@" ;;
    sweep) cmd_sweep ;;
    *) sed -n '2,/^[^#]/{/^#/p}' "$0"; exit 2 ;;
esac
