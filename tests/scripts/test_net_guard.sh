# The network tests' guard refuses while a Wine process of their prefix runs outside the PC's
# namespace (its sockets would be the machine's), and the router's namespaces go when it goes down.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
why=$(netns_unavailable_reason)
if [ -n "$why" ]; then
    echo "not run: $why"
    exit 0
fi
export MHT_NET_TAG="mht$$" MHT_NET_STATE="$WORK/net"
ROUTER="$TESTS_DIR/../net/router.sh"
prefix="$WORK/guard-prefix"  # a wineserver needs no more than the folder
mkdir -p "$prefix"
trap 'WINEPREFIX="$prefix" "$WINESERVER" -k 2>/dev/null || true; "$ROUTER" pc-down >/dev/null 2>&1 || true' EXIT

"$ROUTER" pc-up
export WINEPREFIX="$prefix"
check "the guard passes while nothing of the prefix runs" ip netns exec "$MHT_NET_TAG-pc" "$ROUTER" guard
check "the guard refuses a caller outside the PC" bash -c '! "$0" guard 2>/dev/null' "$ROUTER"

"$WINESERVER" -p </dev/null >/dev/null 2>&1  # in the machine's own namespace
message=$(ip netns exec "$MHT_NET_TAG-pc" "$ROUTER" guard 2>&1) && status=0 || status=$?
check "the guard refuses while the prefix's wineserver runs outside the PC" test "$status" -ne 0
check "it names the wineserver ($message)" grep -q "wineserver64) of $prefix runs outside $MHT_NET_TAG-pc" <<<"$message"
"$WINESERVER" -k
"$WINESERVER" -w

ip netns exec "$MHT_NET_TAG-pc" "$WINESERVER" -p </dev/null >/dev/null 2>&1
check "the guard passes with the wineserver inside the PC" ip netns exec "$MHT_NET_TAG-pc" "$ROUTER" guard --session
ip netns exec "$MHT_NET_TAG-pc" "$WINESERVER" -k
ip netns exec "$MHT_NET_TAG-pc" "$WINESERVER" -w

"$ROUTER" up >/dev/null
check "up made the router, the second PC and the friend" \
    test "$(ip netns list | grep -cE "^$MHT_NET_TAG-(pc2|rtr|wan)( |$)")" -eq 3
check "the PC got its LAN address" bash -c "ip netns exec $MHT_NET_TAG-pc ip -4 -o addr show dev pc0 | grep -q 192.168.77.10/24"
"$ROUTER" down >/dev/null
check "down removed them and the PC's link" \
    test "$(ip netns list | grep -cE "^$MHT_NET_TAG-")$(ip netns exec "$MHT_NET_TAG-pc" ip -o link | wc -l)" = 11
"$ROUTER" pc-down
check "pc-down removed the PC" test -z "$(ip netns list | grep -E "^$MHT_NET_TAG-")"
finish
