# Shared by the project's scripts: packages, builds and the Wine session. Source it, don't run it.

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build}"
WINE="/usr/lib/wine/wine64"
WINE32="/usr/lib/wine/wine"
WINESERVER="/usr/lib/wine/wineserver64"
export WINESERVER
# A prefix from the caller's shell (often a game's own) is never used: the scripts choose theirs.
unset WINEPREFIX WINEARCH WINELOADER WINEDLLPATH
SESSION_PREFIX=""
# The network namespace the Wine session runs in (empty: the machine's own); see in_session_ns.
SESSION_NETNS=""
# The root whose Wine the session runs (empty: the machine's own; scripts/wine10.sh makes one).
SESSION_ROOT=""

# Everything the builds, the scripts and the tests run beyond a minimal Debian 12 (its
# required packages give bash, coreutils, diffutils, findutils, grep, sed, mawk): zip for the
# release, unzip for its test, xdotool for the keystroke and run.sh tests, dpkg-dev for `apt-get
# source`, and the network tests' router, namespaces and echo (iproute2, nftables, miniupnpd,
# miniupnpc, python3), debootstrap for the root of the Wine 10 suite (scripts/wine10.sh) and gdb for
# the state of a wineserver the watchdog finds stuck. The screenshot scripts add imagemagick.
PACKAGES=(cmake make g++ googletest zip unzip dpkg-dev
          g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
          wine wine64 wine32:i386 fonts-wine xvfb xdotool
          iproute2 nftables miniupnpd miniupnpd-nftables miniupnpc python3
          debootstrap gdb)
# Debian source packages the build cross-compiles itself (cmake/miniupnpc.cmake fetches them with
# `apt-get source`, which needs a deb-src entry).
SOURCE_PACKAGES=(miniupnpc)

log() { printf '== %s\n' "$*" >&2; }

# Runs a command in the session's network namespace (SESSION_NETNS), or as it is when there is none.
in_session_ns() {
    if [ -n "$SESSION_NETNS" ]; then ip netns exec "$SESSION_NETNS" "$@"; else "$@"; fi
}
# The same as words to put before a command started in the background, so that $! is its own pid.
session_ns_words() {
    SESSION_NS_WORDS=()
    [ -z "$SESSION_NETNS" ] || SESSION_NS_WORDS=(ip netns exec "$SESSION_NETNS")
}
# Runs a command of the session's Wine: in its namespace and, when the session has a root of its
# own, inside that root.
in_session_wine() {
    session_wine_words
    "${SESSION_WINE_WORDS[@]}" "$@"
}
session_wine_words() {
    session_ns_words
    SESSION_WINE_WORDS=("${SESSION_NS_WORDS[@]}")
    [ -z "$SESSION_ROOT" ] || SESSION_WINE_WORDS+=(chroot "$SESSION_ROOT")
}

# Why this machine cannot make network namespaces with a veth pair in them; nothing when it can.
netns_unavailable_reason() {
    local probe="mht$$-probe" err
    [ "$(id -u)" -eq 0 ] || { echo "network namespaces need root (this run's user id is $(id -u))"; return; }
    command -v ip >/dev/null || { echo "iproute2's ip command is missing"; return; }
    if ! err=$(ip netns add "$probe" 2>&1); then echo "ip netns add failed: ${err:-no reason given}"; return; fi
    if ! err=$(ip link add v0 netns "$probe" type veth peer name v1 netns "$probe" 2>&1); then
        echo "no veth pair can be made: ${err:-no reason given}"
    fi
    ip netns del "$probe" 2>/dev/null || true
}

# The namespace the Windows-side suite runs in: lo and one adapter of its own, lan0 192.0.2.10/24
# (a veth pair; its peer, without an address, only gives it a carrier). Nothing sent there goes
# any further. Sets SESSION_NETNS, and exports MHT_SUITE_ADDRESS for the tests that show the
# machine's addresses; returns 1 when it cannot be made.
suite_netns_up() {
    local ns="$1" address=192.0.2.10
    ip netns add "$ns" || return 1
    ip netns exec "$ns" ip link set lo up &&
        ip link add lan0 netns "$ns" type veth peer name lan0-peer netns "$ns" &&
        ip netns exec "$ns" ip addr add $address/24 dev lan0 &&
        ip netns exec "$ns" ip link set lan0-peer up &&
        ip netns exec "$ns" ip link set lan0 up || { ip netns del "$ns"; return 1; }
    SESSION_NETNS="$ns"
    export MHT_SUITE_ADDRESS=$address
}

# Ends what still runs in a namespace of ours and removes it.
netns_remove() {
    local ns="$1" pid
    [ -e "/run/netns/$ns" ] || return 0
    for pid in $(ip netns pids "$ns" 2>/dev/null); do kill "$pid" 2>/dev/null || true; done
    ip netns del "$ns" 2>/dev/null || true
}

# The process id of the wineserver of a prefix, when one runs (it works in the folder
# server-<device>-<inode> of the prefix, under Wine's temporary folder).
wineserver_of() {
    local prefix="$1" server pid exe cwd
    [ -d "$prefix" ] || return 0
    server="server-$(stat -c %D "$prefix")-$(printf %x "$(stat -c %i "$prefix")")"
    for pid in $(ls /proc | grep -E '^[0-9]+$'); do
        exe=$(readlink "/proc/$pid/exe" 2>/dev/null) || continue
        case ${exe##*/} in wineserver*) ;; *) continue ;; esac
        cwd=$(readlink "/proc/$pid/cwd" 2>/dev/null) || continue
        [ "${cwd##*/}" = "$server" ] && echo "$pid"
    done
    return 0
}

# Whether a process runs in the named network namespace.
in_netns() {
    [ "$(stat -L -c %i "/proc/$1/ns/net" 2>/dev/null)" = "$(stat -L -c %i "/run/netns/$2" 2>/dev/null)" ]
}

# Installs the Debian packages that are missing and makes the source packages known (needs root).
install_packages() {
    local missing=() sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        log "installing ${missing[*]}"
        # Wine's 32-bit part comes from Debian's i386 architecture.
        dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
        $sudo apt-get update -q
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
    fi
    enable_source_packages
}

# `apt-get source` needs a deb-src entry: when the machine has none, its own mirror's entries are
# copied with Types: deb-src (or `deb-src` lines, for a sources.list), and the lists are read again.
enable_source_packages() {
    local p known=1 sudo="" list=/etc/apt/sources.list.d/mhtoolkit-deb-src
    for p in "${SOURCE_PACKAGES[@]}"; do
        [ -n "$(apt-cache showsrc --only-source "$p" 2>/dev/null)" ] || known=0
    done
    [ "$known" -eq 1 ] && return 0
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    if ! grep -rqsE '^[[:space:]]*(deb-src[[:space:]]|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
        if [ -f /etc/apt/sources.list.d/debian.sources ]; then
            log "adding a deb-src entry for the Debian mirror ($list.sources)"
            sed -E 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | $sudo tee "$list.sources" >/dev/null
        elif grep -qsE '^[[:space:]]*deb[[:space:]]' /etc/apt/sources.list; then
            log "adding deb-src lines for the Debian mirror ($list.list)"
            sed -nE 's/^[[:space:]]*deb([[:space:]])/deb-src\1/p' /etc/apt/sources.list | $sudo tee "$list.list" >/dev/null
        else
            log "no Debian mirror entry to copy for deb-src: add one for ${SOURCE_PACKAGES[*]}"
            return 1
        fi
    fi
    $sudo apt-get update -q
}

# Configures and builds one tree: native, win32 (the shipped program, built for size) or win64,
# in $BUILD_DIR/<kind> or the folder given; further arguments go to `cmake --build`.
build_tree() {
    local kind="$1" dir="${2:-$BUILD_DIR/$1}" args=(-DCMAKE_BUILD_TYPE=Release)
    # The Windows builds share the cross-built libraries, built once into $BUILD_DIR/deps.
    case "$kind" in
        win32) args=(-DCMAKE_BUILD_TYPE=MinSizeRel -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake"
                     -DMHT_DEPS_DIR="$BUILD_DIR/deps") ;;
        win64) args+=(-DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-x86_64.cmake" -DMHT_DEPS_DIR="$BUILD_DIR/deps") ;;
    esac
    log "building $kind in $dir"
    cmake -S "$ROOT" -B "$dir" "${args[@]}" >/dev/null
    cmake --build "$dir" -j "$(nproc)" "${@:3}" -- --no-print-directory >/dev/null
}

# A virtual display of the run's own; sets DISPLAY and XVFB_PID.
start_xvfb() {
    local displayfile n=0
    displayfile="$(mktemp)"
    session_wine_words
    "${SESSION_WINE_WORDS[@]}" Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$displayfile" </dev/null >/dev/null 2>&1 &
    XVFB_PID=$!
    while [ ! -s "$displayfile" ]; do
        sleep 0.05; n=$((n + 1))
        [ $n -gt 400 ] && { log "Xvfb did not start"; return 1; }
    done
    export DISPLAY=":$(head -n1 "$displayfile")"
    rm -f "$displayfile"
}

# A prefix of the build's own ($BUILD_DIR/wineprefix, or the folder given, as the demo does),
# made once and kept, and one persistent wineserver, on a virtual display unless USE_DISPLAY=1
# (then on $DISPLAY, with the desktop's window manager).
start_wine_session() {
    SESSION_PREFIX="${1:-$BUILD_DIR/wineprefix}"
    export WINEPREFIX="$SESSION_PREFIX"
    export WINEDEBUG="${WINEDEBUG:--all}"
    export WINEDLLOVERRIDES="mscoree,mshtml="
    [ "${USE_DISPLAY:-0}" = 1 ] || start_xvfb
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        log "creating Wine prefix $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        in_session_wine "$WINE" wineboot -i </dev/null >/dev/null 2>&1
        in_session_wine "$WINESERVER" -w
    fi
    # Wine's own fonts (MS Sans Serif of the templates, Marlett of the caption buttons) into the
    # prefix, where the dialogs find them.
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp -n "$SESSION_ROOT"/usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    # Persistent; one that is running already (a dev session of this build folder) is used as it is.
    in_session_wine "$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
    # Without a window manager Wine waits on every window hide unless its windows are unmanaged.
    local managed=N
    [ "${USE_DISPLAY:-0}" = 1 ] && managed=Y
    in_session_wine "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d "$managed" /f </dev/null >/dev/null 2>&1
    in_session_wine "$WINE" wineboot </dev/null >/dev/null 2>&1
}

# Joins the Wine session of `dev-session.sh start` when one is up for $BUILD_DIR; otherwise starts
# one of its own (with the keep-alive) that ends when the script exits.
join_or_start_session() {
    if [ -f "$BUILD_DIR/session.env" ]; then
        source "$BUILD_DIR/session.env"
    else
        trap stop_wine_session EXIT
        start_wine_session
        start_keepalive "$BUILD_DIR/win64/tests/win/keepalive.exe"
    fi
}

# Keeps Wine's desktop process alive between test processes.
start_keepalive() {
    session_wine_words
    "${SESSION_WINE_WORDS[@]}" "$WINE" "$1" </dev/null >/dev/null 2>&1 &
    KEEPALIVE_PID=$!
}

# Ends the session's own wineserver (never one of a prefix the session did not start) and display.
stop_wine_session() {
    if [ -n "$SESSION_PREFIX" ]; then
        WINEPREFIX="$SESSION_PREFIX" in_session_wine "$WINESERVER" -k >/dev/null 2>&1 || true
        WINEPREFIX="$SESSION_PREFIX" in_session_wine "$WINESERVER" -w >/dev/null 2>&1 || true
    fi
    if [ -n "${KEEPALIVE_PID:-}" ]; then wait "$KEEPALIVE_PID" 2>/dev/null || true; fi
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
    SESSION_PREFIX="" KEEPALIVE_PID="" XVFB_PID=""
    return 0
}

# Saves a screenshot of an X window once it has drawn itself: two shots in a row alike and not of
# one colour (needs imagemagick).
screenshot_settled() {  # window, file
    local previous="" current n=0
    while [ $n -lt 100 ]; do
        current=$(import -window "$1" ppm:- 2>/dev/null | sha256sum)
        if [ "$current" = "$previous" ] &&
           [ "$(import -window "$1" ppm:- 2>/dev/null | convert ppm:- -format %k info: 2>/dev/null)" -gt 1 ]; then
            break
        fi
        previous="$current"
        n=$((n + 1))
        sleep 0.05
    done
    import -window "$1" "$2"
}

# Whether this machine runs 32-bit code, found by running a tiny 32-bit program under Wine (in the
# session's prefix), which must end with exit code 32. Sets PROBE32_SAW to what the probe saw.
runs_32bit_code() {
    local probe="$BUILD_DIR/win32/tests/win/runs32.exe" out rc=0
    if [ ! -f "$probe" ]; then PROBE32_SAW="no probe program at $probe"; return 1; fi
    out=$(in_session_wine "$WINE32" "$probe" </dev/null 2>&1 >/dev/null) || rc=$?
    if [ "$rc" -eq 32 ]; then PROBE32_SAW="the 32-bit probe ran"; return 0; fi
    PROBE32_SAW="the 32-bit probe ended with status $rc${out:+: $(head -n1 <<<"$out")}"
    return 1
}

# The processes of a prefix: its wineserver, and every process started with WINEPREFIX set to it
# (Wine hands its environment down to the programs it starts).
prefix_processes() {
    local prefix="$1" pid
    wineserver_of "$prefix"
    for pid in $(ls /proc | grep -E '^[0-9]+$'); do
        { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$prefix" && echo "$pid"
    done
    return 0
}

# The watchdog of a test run (see run_ctest): while the process $2 (a ctest) runs, it watches the
# wineserver of the prefix $1. When that server stays busy (half a core or more) for
# WATCHDOG_SECONDS while no test makes progress (the ctest log $3 and the test mark $MHT_TEST_MARK
# unchanged), it saves the server's state into the folder $4 (its kernel stack and status, gdb
# backtraces, WATCHDOG_SAMPLES of them, with the root $5 as gdb's sysroot), ends the ctest and the prefix's processes by
# pid, and writes one line saying so into $4/verdict.
watch_wineserver() {
    local prefix="$1" ctest="$2" out="$3" dir="$4" root="${5:-}" hz pid="" ticks last="" seen previous="" since="" now busy
    hz=$(getconf CLK_TCK)
    while kill -0 "$ctest" 2>/dev/null; do
        sleep 2
        if [ -z "$pid" ] || [ ! -e "/proc/$pid" ]; then pid=$(wineserver_of "$prefix" | head -n1); last=""; fi
        [ -n "$pid" ] || continue
        ticks=$(sed -E 's/.*\) //' "/proc/$pid/stat" 2>/dev/null | awk '{ print $12 + $13 }') || continue
        [ -n "$ticks" ] || continue
        seen="$(stat -c %s "$out" 2>/dev/null) $(cat "${MHT_TEST_MARK:-/dev/null}" 2>/dev/null | cksum)"
        busy=0
        [ -n "$last" ] && [ $((ticks - last)) -ge "$hz" ] && busy=1  # 1 s of CPU in 2 s
        last=$ticks
        now=$(date +%s)
        if [ $busy = 0 ] || [ "$seen" != "$previous" ]; then since=""; previous="$seen"; continue; fi
        [ -n "$since" ] || since=$now
        [ $((now - since)) -ge "${WATCHDOG_SECONDS:-30}" ] || continue

        local test pids
        test=$(cat "${MHT_TEST_MARK:-/dev/null}" 2>/dev/null | sed -nE 's/.*--gtest_filter=([^ ]*).*/\1/p')
        [ -n "$test" ] || test=$(cat "${MHT_TEST_MARK:-/dev/null}" 2>/dev/null || true)
        mkdir -p "$dir"
        {
            echo "wineserver $pid of $prefix, busy for $((now - since)) s with no test progressing"
            echo "test: ${test:-unknown} ($(cat "${MHT_TEST_MARK:-/dev/null}" 2>/dev/null || true))"
            echo "--- status"; cat "/proc/$pid/status"
            echo "--- wchan: $(cat "/proc/$pid/wchan" 2>/dev/null)"
            echo "--- syscall: $(cat "/proc/$pid/syscall" 2>/dev/null)"
            echo "--- kernel stack"; cat "/proc/$pid/stack" 2>/dev/null
            echo "--- maps (for the backtraces' addresses)"; cat "/proc/$pid/maps" 2>/dev/null
        } >"$dir/state.txt" 2>&1
        if command -v gdb >/dev/null; then
            local n
            for n in $(seq 1 "${WATCHDOG_SAMPLES:-3}"); do
                # The code around the program counter too: a stripped server's loop can then be
                # matched against a wineserver built from the same source.
                timeout 60 gdb -nx -batch -p "$pid" ${root:+-ex "set sysroot $root"} -ex 'info registers' \
                    -ex 'bt' -ex 'x/24i $pc - 48' >>"$dir/gdb.txt" 2>&1 </dev/null || true
                echo "---" >>"$dir/gdb.txt"
            done
        fi
        pids=$(prefix_processes "$prefix" | sort -u | tr '\n' ' ')
        kill -KILL "$ctest" 2>/dev/null || true
        # shellcheck disable=SC2086
        [ -z "$pids" ] || kill -KILL $pids 2>/dev/null || true
        echo "the wineserver of $prefix (pid $pid) spun for $((now - since)) s in ${test:-an unknown test}; its state is in $dir; the prefix's processes ($pids) and the ctest were ended" >"$dir/verdict"
        return 0
    done
}
