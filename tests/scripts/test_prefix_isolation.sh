# The scripts' Wine session always uses the build folder's own prefix, whatever WINEPREFIX the
# shell inherited, and ending a session never ends the wineserver of a prefix it did not start.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
make_game_prefix

decoy="$WORK/decoy"
rm -rf "$decoy"
mkdir -p "$decoy"
used=$(
    export WINEPREFIX="$decoy" BUILD_DIR="$WORK"
    source "$TESTS_DIR/../../scripts/common.sh"
    start_wine_session >/dev/null
    echo "$WINEPREFIX"
    stop_wine_session
)
check "the session used the build folder's prefix ($used)" test "$used" = "$WORK/wineprefix"
check "nothing was written into the inherited prefix" test -z "$(ls -A "$decoy")"

# A game running in the inherited prefix survives a script that ends without a session of its own
# (the EXIT trap of test.sh when a build fails).
start_game
check "the game is running" running "$GAME_PID"
(
    export WINEPREFIX="$GAME_PREFIX"
    source "$TESTS_DIR/../../scripts/common.sh"
    stop_wine_session
)
# A `wineserver -k; wineserver -w` of the game's prefix returns once the server, and so the game,
# has gone: nothing to wait for.
check "the game survived stop_wine_session" running "$GAME_PID"
end_game
finish
