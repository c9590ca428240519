#!/usr/bin/env bash
# Installs what is missing, builds the three trees and runs every test: the core natively, the
# Windows side under Wine on a virtual display, and the checks of the shipped 32-bit program.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

install_packages
build_tree native
build_tree win32
build_tree win64

trap stop_wine_session EXIT
start_wine_session
start_keepalive "$BUILD_DIR/win64/tests/win/keepalive.exe"

status=0
passed=0
failed=0
for tree in native win64 win32; do
    log "ctest: $tree"
    out="$BUILD_DIR/ctest-$tree.log"
    if ctest --test-dir "$BUILD_DIR/$tree" --output-on-failure "$@" 2>&1 | tee "$out"; then :; else status=1; fi
    line=$(grep -E "tests passed, [0-9]+ tests failed out of [0-9]+" "$out" | tail -n1 || true)
    if [ -n "$line" ]; then
        total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
        nfail=$(sed -E 's/.*passed, ([0-9]+) tests failed.*/\1/' <<<"$line")
        passed=$((passed + total - nfail)); failed=$((failed + nfail))
    else
        status=1
    fi
done
echo "total: $passed passed, $failed failed"
exit $status
