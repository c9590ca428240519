#!/usr/bin/env bash
# Benchmarks under Wine, on the shipped 32-bit build (where this machine runs 32-bit code) and on the
# 64-bit build: the start-up against a bare dialog on the same template (bench/startup_bench.cpp),
# printing every round and the medians; the handling of a game radio's click (bench/click_bench.cpp),
# its medians and registry calls; the shipped program's size; and Host for Friends against the real
# router in namespaces (bench/host_bench.cpp): the time from a click on Open Port, and on Close
# Port, to the result, with a router that speaks PCP (and NAT-PMP and UPnP), one whose PCP is dropped
# (NAT-PMP and UPnP), one of UPnP only, and none: every round and the medians.
#   scripts/bench.sh [rounds]        (start-up rounds: default 15, at least 10)
#   scripts/bench.sh host [rounds]   (Host for Friends only: default 20 rounds a router)
# Runs in the Wine session of `dev-session.sh start` when one is up for $BUILD_DIR, otherwise in
# a session of its own that it ends again.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

install_packages
build_tree win32
build_tree win64

summary=()
# Host for Friends against each router, in a network session of its own: the PC's namespace, where
# Xvfb, the wineserver of a prefix of its own and the bench run; the router is made for each case.
host_benches() {  # tree, loader, rounds
    local tree=$1 loader=$2 rounds=$3 why out="$BUILD_DIR/bench-host-$1.txt"
    why=$(netns_unavailable_reason)
    if [ -n "$why" ]; then
        summary+=("$tree host: not run: $why")
        return
    fi
    (
        export MHT_NET_TAG="mhb$$" MHT_NET_STATE="$BUILD_DIR/net-bench"
        mkdir -p "$MHT_NET_STATE"
        ROUTER="$ROOT/tests/net/router.sh"
        trap '"$ROUTER" down >/dev/null 2>&1 || true; stop_wine_session; "$ROUTER" pc-down >/dev/null 2>&1 || true' EXIT
        "$ROUTER" pc-up >/dev/null
        SESSION_NETNS="$MHT_NET_TAG-pc"
        start_wine_session "$BUILD_DIR/netprefix-bench"
        start_keepalive "$BUILD_DIR/win64/tests/win/keepalive.exe"
        in_session_ns "$ROUTER" guard --session >/dev/null
        local case
        for case in "PCP|--natpmp" "NAT-PMP|--only natpmp" "UPnP only|" "no router|--no-daemon"; do
            log "Host for Friends benchmark, $tree, $case (load average: $(cut -d' ' -f1-3 /proc/loadavg))"
            # shellcheck disable=SC2086  # the router's options, split
            "$ROUTER" up ${case#*|} >/dev/null
            in_session_ns "$loader" "$BUILD_DIR/$tree/bench/host_bench.exe" "${case%%|*}" "$rounds" </dev/null
            "$ROUTER" down >/dev/null
        done
    ) | tee "$out"
    summary+=("$tree host: $(tr -d '\r' <"$out" | grep 'open median' | paste -sd';' -)")
}
if [ "${1:-}" = host ]; then
    if runs_32bit_code; then host_benches win32 "$WINE32" "${2:-20}"; fi
    host_benches win64 "$WINE" "${2:-20}"
    echo
    printf '%s\n' "${summary[@]}"
    exit 0
fi

join_or_start_session

bench() {  # tree, loader
    log "start-up benchmark, $1 (load average: $(cut -d' ' -f1-3 /proc/loadavg))"
    "$2" "$BUILD_DIR/$1/bench/startup_bench.exe" "${@:3}" </dev/null | tee "$BUILD_DIR/bench-$1.txt"
    summary+=("$1: $(grep 'median ratio' "$BUILD_DIR/bench-$1.txt" | sed 's/^ *//')")
}
if runs_32bit_code; then
    bench win32 "$WINE32" "$@"
else
    summary+=("win32: not run: this kernel refuses 32-bit code; $PROBE32_SAW")
fi
bench win64 "$WINE" "$@"

# The game radio's click (bench/click_bench.cpp). Its standard error, which the toolkit it starts
# inherits, takes Wine's trace of the toolkit's registry calls, which the bench counts.
click_bench() {  # tree, loader
    local trace="$BUILD_DIR/click-trace-$1.txt" rc=0
    log "game radio click benchmark, $1 (load average: $(cut -d' ' -f1-3 /proc/loadavg))"
    "$2" "$BUILD_DIR/$1/bench/click_bench.exe" --trace "Z:${trace//\//\\}" 2>"$trace" </dev/null |
        tee "$BUILD_DIR/click-$1.txt" || rc=$?
    grep -v ':trace:\|:fixme:' "$trace" >&2 || true
    rm -f "$trace"
    [ "$rc" -eq 0 ] || return "$rc"
    # The two series of the toolkit built here (the bench prints with \r\n line ends).
    summary+=("$1 click: $(tr -d '\r' <"$BUILD_DIR/click-$1.txt" | grep -A2 'MHToolkit\.exe$' | tail -n2 |
                           sed 's/^ *//' | paste -sd';' - || true)")
}
if runs_32bit_code; then click_bench win32 "$WINE32"; fi
click_bench win64 "$WINE"

stop_own_session() { [ -f "$BUILD_DIR/session.env" ] || { stop_wine_session; trap - EXIT; }; }
stop_own_session
if runs_32bit_code; then host_benches win32 "$WINE32" 20; fi
host_benches win64 "$WINE" 20

echo
echo "shipped program: $BUILD_DIR/win32/app/MHToolkit.exe, $(stat -c %s "$BUILD_DIR/win32/app/MHToolkit.exe") bytes"
printf '%s\n' "${summary[@]}"
