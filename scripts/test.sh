#!/usr/bin/env bash
# Installs what is missing, builds the three trees and runs every test: the core natively, the
# Windows side under Wine on a virtual display against the 64-bit build and, wherever this machine
# runs 32-bit code, against the shipped 32-bit build as well; then the scripts' own tests.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

install_packages
build_tree native
build_tree win32
build_tree win64
cmake -S "$ROOT/tests/scripts" -B "$BUILD_DIR/scripts" -DBUILD_DIR="$BUILD_DIR" >/dev/null

trap stop_wine_session EXIT
start_wine_session
start_keepalive "$BUILD_DIR/win64/tests/win/keepalive.exe"

status=0
passed=0
failed=0
# Runs ctest in a tree and adds its counts to the totals.
run_ctest() {
    local tree="$1" out="$BUILD_DIR/ctest-${1//\//-}.log" line total nfail
    shift
    log "ctest: $tree"
    if ctest --test-dir "$BUILD_DIR/$tree" --output-on-failure "$@" 2>&1 | tee "$out"; then :; else status=1; fi
    line=$(grep -E "tests passed, [0-9]+ tests failed out of [0-9]+" "$out" | tail -n1 || true)
    if [ -n "$line" ]; then
        total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
        nfail=$(sed -E 's/.*passed, ([0-9]+) tests failed.*/\1/' <<<"$line")
        passed=$((passed + total - nfail)); failed=$((failed + nfail))
        log "$tree: $((total - nfail)) passed, $nfail failed"
    else
        status=1
    fi
}

run_ctest native "$@"
run_ctest win64 "$@"
if runs_32bit_code; then
    run_ctest win32 "$@"
else
    echo "win32: the 32-bit program was not run: this machine does not run 32-bit code ($PROBE32_SAW; a kernel with IA-32 emulation off refuses it)"
    run_ctest win32/app "$@"  # the file checks of the shipped program
fi
stop_wine_session
trap - EXIT
run_ctest scripts "$@"
echo "total: $passed passed, $failed failed"
exit $status
