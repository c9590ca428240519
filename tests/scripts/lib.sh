# Shared by the scripts' tests: checks, and a Wine prefix that stands for a player's game prefix.
set -euo pipefail
TESTS_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$TESTS_DIR/../../scripts/common.sh"
WORK="$BUILD_DIR/scripts-test"
GAME_PREFIX="$WORK/wineprefix"  # also the prefix of a session with BUILD_DIR=$WORK
mkdir -p "$WORK"

failures=0
check() {  # description, command...
    local what="$1"
    shift
    if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
finish() {
    [ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
}

# A plain prefix made by this Wine, as a game's would be (kept between runs).
make_game_prefix() {
    if [ ! -f "$GAME_PREFIX/system.reg" ]; then
        log "creating a stand-in game prefix $GAME_PREFIX"
        mkdir -p "$GAME_PREFIX"
        WINEPREFIX="$GAME_PREFIX" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" "$WINE" wineboot -i \
            </dev/null >/dev/null 2>&1
        WINEPREFIX="$GAME_PREFIX" "$WINESERVER" -w
    fi
}

# A program running in the game prefix, standing for the game: sets GAME_PID.
start_game() {
    WINEPREFIX="$GAME_PREFIX" WINEDEBUG=-all "$WINE" "$BUILD_DIR/win64/tests/win/keepalive.exe" \
        </dev/null >/dev/null 2>&1 &
    GAME_PID=$!
}
end_game() {
    kill "$GAME_PID" 2>/dev/null || true
    wait "$GAME_PID" 2>/dev/null || true
    WINEPREFIX="$GAME_PREFIX" "$WINESERVER" -w
}

# The prefix's registry without the stamps Wine renews on every start (key times, and the display
# driver's date, which its desktop process writes each time it starts).
registry_of() {
    local reg
    for reg in system.reg user.reg userdef.reg; do
        echo "== $reg"
        sed -E 's/^(\[.*\]) [0-9]+$/\1/; /^#time=/d; /^"DriverDateData"=/d' "$1/$reg"
    done
}
