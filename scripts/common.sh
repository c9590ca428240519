# Shared by the project's scripts: packages, builds and the Wine session. Source it, don't run it.

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build}"
WINE="/usr/lib/wine/wine64"
WINESERVER="/usr/lib/wine/wineserver64"
export WINESERVER
# A prefix from the caller's shell (often a game's own) is never used: the scripts choose theirs.
unset WINEPREFIX

PACKAGES=(cmake make g++ googletest
          g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
          wine wine64 fonts-wine xvfb xdotool)

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
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# Configures and builds one tree: native, win32 (the shipped program) or win64.
build_tree() {
    local kind="$1" dir="$BUILD_DIR/$1" args=(-DCMAKE_BUILD_TYPE=Release)
    case "$kind" in
        win32) args+=(-DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake") ;;
        win64) args+=(-DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-x86_64.cmake") ;;
    esac
    log "building $kind in $dir"
    cmake -S "$ROOT" -B "$dir" "${args[@]}" >/dev/null
    cmake --build "$dir" -j "$(nproc)" -- --no-print-directory >/dev/null
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

# A prefix of the build's own ($BUILD_DIR/wineprefix unless the script chose another, as the demo
# does), made once and kept, and one persistent wineserver, on a virtual display unless
# USE_DISPLAY=1 (then on $DISPLAY, with the desktop's window manager).
start_wine_session() {
    export WINEPREFIX="${WINEPREFIX:-$BUILD_DIR/wineprefix}"
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
    "$WINESERVER" -p </dev/null >/dev/null 2>&1
    # Without a window manager Wine waits on every window hide unless its windows are unmanaged.
    local managed=N
    [ "${USE_DISPLAY:-0}" = 1 ] && managed=Y
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d "$managed" /f </dev/null >/dev/null 2>&1
    "$WINE" wineboot </dev/null >/dev/null 2>&1
}

# Keeps Wine's desktop process alive between test processes.
start_keepalive() {
    "$WINE" "$1" </dev/null >/dev/null 2>&1 &
    KEEPALIVE_PID=$!
}

stop_wine_session() {
    "$WINESERVER" -k >/dev/null 2>&1 || true
    "$WINESERVER" -w >/dev/null 2>&1 || true
    if [ -n "${KEEPALIVE_PID:-}" ]; then wait "$KEEPALIVE_PID" 2>/dev/null || true; fi
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
    return 0
}
