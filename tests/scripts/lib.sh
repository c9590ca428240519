# Shared by the scripts' tests: checks, and a Wine prefix that stands for a player's game prefix.
set -euo pipefail
TESTS_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$TESTS_DIR/../../scripts/common.sh"
WORK="$BUILD_DIR/scripts-test"
GAME_PREFIX="$WORK/wineprefix"  # also the prefix of a session with BUILD_DIR=$WORK
mkdir -p "$WORK"

failures=0

# What ends each process the test started, run when the test exits, however it exits.
STARTED=()
track() { STARTED+=("$*"); }
trap 'for command in "${STARTED[@]}"; do $command; done' EXIT

# State and parent of a process ("S 1234"), empty when it is gone.
state_of() { sed 's/.*) \(.\) \([0-9]*\).*/\1 \2/' "/proc/$1/stat" 2>/dev/null || true; }
# Whether a process is there and not just waiting to be reaped.
running() { local state; state=$(state_of "$1"); [ -n "$state" ] && [ "${state% *}" != Z ]; }
# The PIDs of a process's children.
children() {
    awk -v parent="$1" '{ sub(/.*\) /, "") } $2 == parent { split(FILENAME, path, "/"); print path[3] }' \
        /proc/[0-9]*/stat 2>/dev/null
}
# Ends a process this shell (or the script PARENT) started, by its PID, and waits until it is gone;
# nothing when it is no longer that parent's (reaped: the PID may be another's by now). A Wine
# program's own children, Wine's desktop and services, are its wineserver's to end.
end_process() {  # pid [parent]
    local parent="${2:-$$}" n=0
    [ "$(state_of "$1" | cut -d' ' -f2)" = "$parent" ] || return 0
    kill "$1" 2>/dev/null || true
    while running "$1"; do
        n=$((n + 1))
        [ $n -eq 200 ] && kill -KILL "$1" 2>/dev/null
        [ $n -gt 400 ] && { log "process $1 did not end"; return 1; }
        sleep 0.05
    done
    if [ "$parent" = "$$" ]; then wait "$1" 2>/dev/null || true; fi
}
# Ends a script this shell started, and the processes that the script started.
end_script() {
    local child
    for child in $(children "$1"); do end_process "$child" "$1"; done
    end_process "$1"
}

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

# A program running in the game prefix, standing for the game: sets GAME_PID. Returns once the
# program runs (it then creates its marker file), so that ending it later never hits Wine while it
# is still setting the process up.
start_game() {
    local marker="$WORK/game.running" n=0
    rm -f "$marker"
    WINEPREFIX="$GAME_PREFIX" WINEDEBUG=-all "$WINE" "$BUILD_DIR/win64/tests/win/keepalive.exe" \
        "$(printf 'Z:%s' "${marker//\//\\}")" </dev/null >/dev/null 2>&1 &
    GAME_PID=$!
    track end_process "$GAME_PID"
    until [ -e "$marker" ]; do
        running "$GAME_PID" && [ $n -lt 600 ] || { log "the game did not start"; return 1; }
        n=$((n + 1))
        sleep 0.05
    done
}
end_game() {
    end_process "$GAME_PID"
    # Its prefix's wineserver ends once the prefix's programs have; a stuck one is ended here, so
    # that the next test starts afresh.
    check "the game's prefix shut down" timeout 60 env WINEPREFIX="$GAME_PREFIX" "$WINESERVER" -w
    WINEPREFIX="$GAME_PREFIX" "$WINESERVER" -k 2>/dev/null || true
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
