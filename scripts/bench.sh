#!/usr/bin/env bash
# Start-up benchmark: builds the 64-bit tree and times the toolkit against a bare dialog on the
# same template under Wine (bench/startup_bench.cpp), printing every round and the medians.
#   scripts/bench.sh [rounds]        (default 15, at least 10)
# Runs in the Wine session of `dev-session.sh start` when one is up for $BUILD_DIR, otherwise in
# a session of its own that it ends again.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

install_packages
build_tree win64

if [ -f "$BUILD_DIR/session.env" ]; then
    source "$BUILD_DIR/session.env"
else
    trap stop_wine_session EXIT
    start_wine_session
    start_keepalive "$BUILD_DIR/win64/tests/win/keepalive.exe"
fi

log "start-up benchmark (load average: $(cut -d' ' -f1-3 /proc/loadavg))"
"$WINE" "$BUILD_DIR/win64/bench/startup_bench.exe" "$@" </dev/null
