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

# Everything the builds, the scripts and the tests run beyond a minimal Debian 12 (its
# required packages give bash, coreutils, diffutils, findutils, grep, sed, mawk): zip for the
# release, unzip for its test, xdotool for the keystroke and run.sh tests. The screenshot scripts
# add imagemagick.
PACKAGES=(cmake make g++ googletest zip unzip
          g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
          wine wine64 wine32:i386 fonts-wine xvfb xdotool)

log() { printf '== %s\n' "$*" >&2; }

# Installs the Debian packages that are missing (needs root).
install_packages() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    log "installing ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    # Wine's 32-bit part comes from Debian's i386 architecture.
    dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# Configures and builds one tree: native, win32 (the shipped program, built for size) or win64,
# in $BUILD_DIR/<kind> or the folder given; further arguments go to `cmake --build`.
build_tree() {
    local kind="$1" dir="${2:-$BUILD_DIR/$1}" args=(-DCMAKE_BUILD_TYPE=Release)
    case "$kind" in
        win32) args=(-DCMAKE_BUILD_TYPE=MinSizeRel -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake") ;;
        win64) args+=(-DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-x86_64.cmake") ;;
    esac
    log "building $kind in $dir"
    cmake -S "$ROOT" -B "$dir" "${args[@]}" >/dev/null
    cmake --build "$dir" -j "$(nproc)" "${@:3}" -- --no-print-directory >/dev/null
}

# A virtual display of the run's own; sets DISPLAY and XVFB_PID.
start_xvfb() {
    local displayfile n=0
    displayfile="$(mktemp)"
    Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$displayfile" </dev/null >/dev/null 2>&1 &
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
        "$WINE" wineboot -i </dev/null >/dev/null 2>&1
        "$WINESERVER" -w
    fi
    # Wine's own fonts (MS Sans Serif of the templates, Marlett of the caption buttons) into the
    # prefix, where the dialogs find them.
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    # Persistent; one that is running already (a dev session of this build folder) is used as it is.
    "$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
    # Without a window manager Wine waits on every window hide unless its windows are unmanaged.
    local managed=N
    [ "${USE_DISPLAY:-0}" = 1 ] && managed=Y
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d "$managed" /f </dev/null >/dev/null 2>&1
    "$WINE" wineboot </dev/null >/dev/null 2>&1
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
    "$WINE" "$1" </dev/null >/dev/null 2>&1 &
    KEEPALIVE_PID=$!
}

# Ends the session's own wineserver (never one of a prefix the session did not start) and display.
stop_wine_session() {
    if [ -n "$SESSION_PREFIX" ]; then
        WINEPREFIX="$SESSION_PREFIX" "$WINESERVER" -k >/dev/null 2>&1 || true
        WINEPREFIX="$SESSION_PREFIX" "$WINESERVER" -w >/dev/null 2>&1 || true
    fi
    if [ -n "${KEEPALIVE_PID:-}" ]; then wait "$KEEPALIVE_PID" 2>/dev/null || true; fi
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
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
    out=$("$WINE32" "$probe" </dev/null 2>&1 >/dev/null) || rc=$?
    if [ "$rc" -eq 32 ]; then PROBE32_SAW="the 32-bit probe ran"; return 0; fi
    PROBE32_SAW="the 32-bit probe ended with status $rc${out:+: $(head -n1 <<<"$out")}"
    return 1
}
