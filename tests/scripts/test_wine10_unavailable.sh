# Where the Debian 13 root of the Wine 10 suite cannot be made (here: a mirror that does not
# answer, on loopback), making it fails with one line that says why, and leaves no root behind.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$TESTS_DIR/../../scripts/wine10.sh"

WINE10_DIR="$WORK/wine10-unavailable"
WINE10_ROOT="$WINE10_DIR/root"
rm -rf "$WINE10_DIR"
why=$(wine10_unavailable_reason)
if [ -n "$why" ]; then
    echo "the root cannot be made here at all: $why"
    check "the reason is one line" test "$(wc -l <<<"$why")" -eq 1
    exit $((failures > 0))
fi
wine10_mirror() { echo "http://127.0.0.1:9/debian"; }  # nothing listens on the discard port
status=0
why=$(wine10_make_root 2>/dev/null) || status=$?
echo "why: $why"
check "making the root failed" test "$status" -ne 0
check "with one line" test "$(wc -l <<<"$why")" -eq 1
check "that names debootstrap and the mirror" grep -q "^debootstrap of Debian trixie from http://127.0.0.1:9/debian failed" <<<"$why"
check "no root was left" test ! -e "$WINE10_ROOT"
check "nor a half-made one" test ! -e "$WINE10_DIR/root.new"
check "nothing stays mounted" bash -c "! grep -q ' $WINE10_DIR' /proc/self/mounts"
exit $((failures > 0))
