#!/bin/sh
# The Windows builds' test emulator: runs a test program with the Wine loader given first, the
# machine's or, when MHT_WINE_ROOT names a root (scripts/wine10.sh), that root's, in the same folder
# (the root has the work tree at the same path). MHT_TEST_MARK, when set, gets the command line of
# the test that runs, for the run's watchdog.
loader="$1"
shift
[ -z "${MHT_TEST_MARK:-}" ] || printf '%s\n' "$*" >"$MHT_TEST_MARK"
if [ -n "${MHT_WINE_ROOT:-}" ]; then
    exec chroot "$MHT_WINE_ROOT" /bin/sh -c 'cd "$0" && exec "$@"' "$PWD" "$loader" "$@"
fi
exec "$loader" "$@"
