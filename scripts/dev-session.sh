#!/usr/bin/env bash
# For working by hand: `dev-session.sh start` builds the 64-bit tree and leaves a Wine session
# running (Xvfb, wineserver, prefix) for `ctest --test-dir $BUILD_DIR/win64`; it writes the
# variables to source into $BUILD_DIR/session.env. `dev-session.sh stop` ends the session.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

case "${1:-}" in
start)
    install_packages
    build_tree win64
    start_wine_session
    start_keepalive "$BUILD_DIR/win64/tests/win/keepalive.exe"
    cat >"$BUILD_DIR/session.env" <<ENV
export BUILD_DIR='$BUILD_DIR' DISPLAY='$DISPLAY' WINEPREFIX='$WINEPREFIX' WINEDEBUG='$WINEDEBUG'
export WINESERVER='$WINESERVER' WINEDLLOVERRIDES='$WINEDLLOVERRIDES' XVFB_PID='$XVFB_PID'
ENV
    log "session running: source $BUILD_DIR/session.env"
    ;;
stop)
    # The session's own prefix, as start wrote it down.
    [ -f "$BUILD_DIR/session.env" ] && source "$BUILD_DIR/session.env" && SESSION_PREFIX="$WINEPREFIX"
    stop_wine_session
    rm -f "$BUILD_DIR/session.env"
    ;;
*)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
