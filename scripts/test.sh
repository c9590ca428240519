#!/usr/bin/env bash
# Installs what is missing, builds the three trees and runs every test: the core natively, the
# Windows side under Wine on a virtual display against the 64-bit build and, wherever this machine
# runs 32-bit code, against the shipped 32-bit build as well, in a network namespace of its own;
# then the same suite under Debian 13's Wine 10, in a root of its own (scripts/wine10.sh); then the
# network tests against a router in namespaces (tests/net/); then the scripts' own tests.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
source "$ROOT/scripts/wine10.sh"

install_packages
mkdir -p "$BUILD_DIR"  # a fresh clone has none yet
# One run at a time per build folder: the suites' sandbox, the stand-ins' log and the probe's reports
# live in its test folders, and two runs read and delete each other's (tests then fail under either
# Wine for no fault of the program).
RUN_MARK="$BUILD_DIR/test-run.pid"
if other=$(cat "$RUN_MARK" 2>/dev/null) && [ "$other" != $$ ] &&
   tr '\0' ' ' <"/proc/$other/cmdline" 2>/dev/null | grep -q "scripts/test.sh"; then
    echo "another test run (pid $other) uses $BUILD_DIR; run one at a time, or give each its own BUILD_DIR" >&2
    exit 1
fi
echo $$ >"$RUN_MARK"
# The Wine 10 root is made (when missing) while the rest builds and runs; why it cannot be had,
# if so, ends up in $WINE10_STATE.
WINE10_WHY=$(wine10_unavailable_reason)
WINE10_STATE="$BUILD_DIR/wine10-root.state" WINE10_MAKER=""
rm -f "$WINE10_STATE"
if [ -z "$WINE10_WHY" ]; then
    set -m  # a process group of its own, so that debootstrap and apt end with it
    (
        started=$(date +%s)
        if why=$(wine10_make_root); then echo "ok $(( $(date +%s) - started ))"; else echo "${why:-making its root failed}"; fi >"$WINE10_STATE"
    ) &
    WINE10_MAKER=$!
    set +m
fi
stop_wine10_maker() {
    if [ -n "$WINE10_MAKER" ]; then
        kill -- "-$WINE10_MAKER" 2>/dev/null || true
        wait "$WINE10_MAKER" 2>/dev/null || true
    fi
    WINE10_MAKER=""
    wine10_sweep_mounts
    release_run_mark
}
release_run_mark() {
    [ "$(cat "$RUN_MARK" 2>/dev/null)" != $$ ] || rm -f "$RUN_MARK"
}
trap stop_wine10_maker EXIT

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
    stop_wine10_maker
    stop_wine_session
    wine10_unmount
    wine10_sweep_mounts
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
# named after the tree, or after the label given as LOG_NAME. While a Wine session runs, a watchdog
# ends a run whose wineserver spins with no test progressing (watch_wineserver), so that no run
# waits for its time-out.
run_ctest() {
    local tree="$1" name="${LOG_NAME:-${1//\//-}}" out line total nfail pid watchdog="" dir started
    out="$BUILD_DIR/ctest-$name.log"
    dir="$BUILD_DIR/watchdog/$name"
    shift
    rm -rf "$dir"
    started=$(date +%s)
    log "ctest: $tree${SESSION_ROOT:+ (Wine of $SESSION_ROOT)}${SESSION_NETNS:+ (network namespace $SESSION_NETNS)}"
    export MHT_TEST_MARK="$BUILD_DIR/test-mark-$name"
    : >"$out"
    in_session_ns ctest --test-dir "$BUILD_DIR/$tree" --output-on-failure "$@" >"$out" 2>&1 &
    pid=$!
    if [ -n "$SESSION_PREFIX" ]; then
        watch_wineserver "$SESSION_PREFIX" "$pid" "$out" "$dir" "$SESSION_ROOT" &
        watchdog=$!
    fi
    tail -n +1 -f --pid="$pid" "$out"
    if wait "$pid"; then :; else status=1; fi
    if [ -n "$watchdog" ]; then kill "$watchdog" 2>/dev/null || true; wait "$watchdog" 2>/dev/null || true; fi
    unset MHT_TEST_MARK
    line=$(grep -E "tests passed, [0-9]+ tests failed out of [0-9]+" "$out" | tail -n1 || true)
    if [ -f "$dir/verdict" ]; then
        # The stuck test failed; the tests before it count as they ended.
        total=$(grep -cE '^ *[0-9]+/[0-9]+ Test +#' "$out" || true)
        nfail=$(grep -E '^ *[0-9]+/[0-9]+ Test +#' "$out" | grep -cv ' Passed ' || true)
        passed=$((passed + total - nfail)); failed=$((failed + nfail + 1))
        echo "$name: FAILED, watchdog: $(cat "$dir/verdict")"
        status=1
        WATCHDOG_FIRED=1
    elif [ -n "$line" ]; then
        total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
        nfail=$(sed -E 's/.*passed, ([0-9]+) tests failed.*/\1/' <<<"$line")
        passed=$((passed + total - nfail)); failed=$((failed + nfail))
        log "${LOG_NAME:-$tree}: $((total - nfail)) passed, $nfail failed ($(( $(date +%s) - started )) s)"
    elif grep -q "No tests were found" "$out"; then
        log "$tree: no test matched"
    else
        status=1
    fi
}

# After the watchdog ended a session's processes, the session starts again for the next tree.
WATCHDOG_FIRED=0
recover_session() {
    [ "$WATCHDOG_FIRED" = 1 ] || return 0
    WATCHDOG_FIRED=0
    local prefix="$SESSION_PREFIX"
    stop_wine_session
    start_wine_session "$prefix"
    start_keepalive "$BUILD_DIR/win64/tests/win/keepalive.exe"
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
recover_session
runs32=0
if runs_32bit_code; then
    runs32=1
    run_ctest win32 -LE net "$@"
else
    echo "win32: the 32-bit program was not run: this machine does not run 32-bit code ($PROBE32_SAW; a kernel with IA-32 emulation off refuses it)"
    run_ctest win32/app "$@"  # the file checks of the shipped program
fi
stop_wine_session

# The same suite under Wine 10, the Wine players' launchers ship, in the same namespace, with a
# prefix, Xvfb, wineserver and keep-alive of its own; its counts are shown apart and in the total.
if [ -n "$WINE10_MAKER" ]; then
    wait "$WINE10_MAKER" || true
    WINE10_MAKER=""
    WINE10_WHY=$(cat "$WINE10_STATE" 2>/dev/null || echo "making its root failed")
    case $WINE10_WHY in
        "ok "*) log "the Wine 10 root was ready ${WINE10_WHY#ok } s after the start of its making"; WINE10_WHY="" ;;
    esac
fi
if [ -z "$WINE10_WHY" ] && ! wine10_enter; then
    wine10_unmount
    WINE10_WHY="its root could not be mounted"
fi
if [ -n "$WINE10_WHY" ]; then
    echo "wine10: the Wine 10 suite did not run: $WINE10_WHY"
else
    before_passed=$passed before_failed=$failed started=$(date +%s)
    SESSION_ROOT="$WINE10_ROOT"
    export MHT_WINE_ROOT="$WINE10_ROOT"
    start_wine_session "$WINE10_PREFIX"
    start_keepalive "$BUILD_DIR/win64/tests/win/keepalive.exe"
    if [ -n "$SESSION_NETNS" ] && ! in_netns "$(wineserver_of "$SESSION_PREFIX" | head -n1)" "$SESSION_NETNS"; then
        echo "wine10: the wineserver of $SESSION_PREFIX is not in $SESSION_NETNS" >&2
        exit 1
    fi
    log "Wine of the suite: $(in_session_wine "$WINE" --version 2>&1)"
    LOG_NAME=wine10-win64 run_ctest win64 -LE net "$@"
    recover_session
    if [ $runs32 = 1 ]; then
        if runs_32bit_code; then
            LOG_NAME=wine10-win32 run_ctest win32 -LE net "$@"
        else
            echo "wine10: Wine 10's 32-bit loader failed where Wine 8's ran: $PROBE32_SAW"
            status=1
            failed=$((failed + 1))
        fi
    else
        echo "wine10: the 32-bit program was not run: this machine does not run 32-bit code"
    fi
    stop_wine_session
    wine10_unmount
    SESSION_ROOT=""
    unset MHT_WINE_ROOT
    echo "wine10: $((passed - before_passed)) passed, $((failed - before_failed)) failed ($(( $(date +%s) - started )) s)"
fi
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
trap release_run_mark EXIT
run_ctest scripts "$@"
echo "total: $passed passed, $failed failed"
exit $status
