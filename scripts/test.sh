#!/usr/bin/env bash
# Installs what is missing, builds the three trees and runs every test: the core natively, the
# Windows side under Wine on a virtual display against the 64-bit build and, wherever this machine
# runs 32-bit code, against the shipped 32-bit build as well, in a network namespace of its own;
# then the network tests against a router in namespaces (tests/net/); then the scripts' own tests.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

install_packages
build_tree native
build_tree win32
build_tree win64
cmake -S "$ROOT/tests/scripts" -B "$BUILD_DIR/scripts" -DBUILD_DIR="$BUILD_DIR" >/dev/null

# Namespaces of this run are named mht<pid>-*; those of runs that are gone are removed first.
export MHT_NET_TAG="mht$$" MHT_NET_STATE="$BUILD_DIR/net"
ROUTER="$ROOT/tests/net/router.sh"
NETNS_WHY=$(netns_unavailable_reason)
[ -n "$NETNS_WHY" ] || "$ROUTER" sweep

cleanup() {
    stop_wine_session
    if [ -z "$NETNS_WHY" ]; then
        "$ROUTER" pc-down >/dev/null 2>&1 || true
        netns_remove "$MHT_NET_TAG-suite"
    fi
}
trap cleanup EXIT

status=0
passed=0
failed=0
# Runs ctest (in the session's namespace) in a tree and adds its counts to the totals; the log is
# named after the tree, or after the label given as LOG_NAME.
run_ctest() {
    local tree="$1" out line total nfail
    out="$BUILD_DIR/ctest-${LOG_NAME:-${1//\//-}}.log"
    shift
    log "ctest: $tree${SESSION_NETNS:+ (network namespace $SESSION_NETNS)}"
    if in_session_ns ctest --test-dir "$BUILD_DIR/$tree" --output-on-failure "$@" 2>&1 | tee "$out"; then :; else status=1; fi
    line=$(grep -E "tests passed, [0-9]+ tests failed out of [0-9]+" "$out" | tail -n1 || true)
    if [ -n "$line" ]; then
        total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
        nfail=$(sed -E 's/.*passed, ([0-9]+) tests failed.*/\1/' <<<"$line")
        passed=$((passed + total - nfail)); failed=$((failed + nfail))
        log "$tree: $((total - nfail)) passed, $nfail failed"
    elif grep -q "No tests were found" "$out"; then
        log "$tree: no test matched"
    else
        status=1
    fi
}

run_ctest native "$@"

# The Windows-side suite, in a namespace with lo and a documentation address only, so that no test
# can send anything beyond it.
if [ -n "$NETNS_WHY" ]; then
    echo "win: the Windows-side tests run in the machine's own network namespace: $NETNS_WHY"
elif [ -n "$(wineserver_of "$BUILD_DIR/wineprefix")" ]; then
    echo "win: the Windows-side tests run in the machine's own network namespace: a wineserver of $BUILD_DIR/wineprefix runs already (pid $(wineserver_of "$BUILD_DIR/wineprefix"), a dev session?)"
elif ! suite_netns_up "$MHT_NET_TAG-suite"; then
    echo "win: the Windows-side tests run in the machine's own network namespace: it could not be made"
fi
start_wine_session
start_keepalive "$BUILD_DIR/win64/tests/win/keepalive.exe"
if [ -n "$SESSION_NETNS" ] && ! in_netns "$(wineserver_of "$SESSION_PREFIX" | head -n1)" "$SESSION_NETNS"; then
    echo "win: the wineserver of $SESSION_PREFIX is not in $SESSION_NETNS" >&2
    exit 1
fi

run_ctest win64 -LE net "$@"
runs32=0
if runs_32bit_code; then
    runs32=1
    run_ctest win32 -LE net "$@"
else
    echo "win32: the 32-bit program was not run: this machine does not run 32-bit code ($PROBE32_SAW; a kernel with IA-32 emulation off refuses it)"
    run_ctest win32/app "$@"  # the file checks of the shipped program
fi
stop_wine_session
[ -z "$SESSION_NETNS" ] || netns_remove "$SESSION_NETNS"
SESSION_NETNS=""
unset MHT_SUITE_ADDRESS

# The network tests: the player's PC, a namespace where Xvfb, the wineserver of a prefix used for
# nothing else and every Wine process run; the router and the rest are made by each test.
if [ -n "$NETNS_WHY" ]; then
    echo "net: the network tests did not run: $NETNS_WHY"
else
    "$ROUTER" pc-up
    SESSION_NETNS="$MHT_NET_TAG-pc"
    export WINEPREFIX="$BUILD_DIR/netprefix"
    in_session_ns "$ROUTER" guard  # no Wine process of the prefix runs elsewhere
    start_wine_session "$BUILD_DIR/netprefix"
    start_keepalive "$BUILD_DIR/win64/tests/win/keepalive.exe"
    in_session_ns "$ROUTER" guard --session
    LOG_NAME=win64-net run_ctest win64 -L net "$@"
    if [ $runs32 = 1 ]; then
        LOG_NAME=win32-net run_ctest win32 -L net "$@"
    else
        echo "net: the 32-bit program's network tests were not run: this machine does not run 32-bit code"
    fi
    stop_wine_session
    "$ROUTER" pc-down
    SESSION_NETNS=""
    unset WINEPREFIX
fi
trap - EXIT
run_ctest scripts "$@"
echo "total: $passed passed, $failed failed"
exit $status
