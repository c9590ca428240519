#!/usr/bin/env bash
# Builds and runs the toolkit.
#   scripts/run.sh               the demo: a Wine prefix of its own with both games' keys and
#                                stand-in game folders. On a desktop ($DISPLAY reachable) it opens
#                                there; with no display it runs on a virtual one, saves a screenshot
#                                and says where.
#   scripts/run.sh --prefix DIR  the program inside an existing Wine prefix of yours (your game's),
#                                with that prefix's own ping.exe and telnet.exe. Nothing is copied
#                                into the prefix and nothing in it is set up or changed by this script.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

usage() {
    echo "usage: $0 [--prefix WINE_PREFIX_DIR]" >&2
    exit 2
}

# The Wine loader and program for this machine: the shipped 32-bit program where the kernel runs
# 32-bit code (Wine's 32-bit loader, itself a 32-bit program, starts), else the 64-bit build.
pick_program() {
    if "$WINE32" --version >/dev/null 2>&1; then
        LOADER="$WINE32"; PROGRAM="$BUILD_DIR/win32/app/MHToolkit.exe"
    else
        LOADER="$WINE"; PROGRAM="$BUILD_DIR/win64/app/MHToolkit.exe"
        log "this kernel does not run 32-bit code: running the 64-bit build"
    fi
}

run_in_prefix() {
    local prefix="$1" missing=() stamp
    for part in system.reg user.reg drive_c; do [ -e "$prefix/$part" ] || missing+=("$part"); done
    if [ ! -d "$prefix" ] || [ ${#missing[@]} -gt 0 ]; then
        echo "run.sh: '$prefix' is not a Wine prefix (it has no ${missing[*]:-such folder}); give the folder" \
             "that WINEPREFIX names for your game, e.g. ~/Games/mygame/pfx" >&2
        exit 2
    fi
    # Wine updates a prefix that another Wine version set up before it runs anything in it.
    stamp=$(head -n1 "$prefix/.update-timestamp" 2>/dev/null | tr -d '\r' || true)
    if [ -n "$stamp" ] && [ "$stamp" != disable ] && [ "$stamp" != "$(stat -c %Y /usr/share/wine/wine.inf)" ]; then
        echo "run.sh: '$prefix' was set up by another Wine version; this Wine would update it first." \
             "Start MHToolkit.exe with your game's own Wine instead (README.txt, \"Linux\")." >&2
        exit 2
    fi
    install_packages
    if "$WINE32" --version >/dev/null 2>&1; then build_tree win32; else build_tree win64; fi
    pick_program
    if grep -q '^#arch=win32' "$prefix/system.reg" && [ "$LOADER" != "$WINE32" ]; then
        echo "run.sh: '$prefix' is a 32-bit prefix, and this kernel does not run 32-bit code" >&2
        exit 2
    fi
    log "running $PROGRAM in $prefix"
    # The program runs from the build folder (Wine's Z: drive), so that it finds the prefix's own
    # ping.exe and telnet.exe on the search path.
    cd "$(dirname "$PROGRAM")"
    WINEPREFIX="$prefix" WINEDEBUG="${WINEDEBUG:--all}" "$LOADER" "$PROGRAM" </dev/null
}

case "${1:-}" in
--prefix) [ $# -eq 2 ] || usage; run_in_prefix "$2"; exit 0 ;;
"") ;;
*) usage ;;
esac

PACKAGES+=(imagemagick)  # for the screenshot
install_packages
build_tree win32   # the shipped 32-bit program: $BUILD_DIR/win32/app/MHToolkit.exe
build_tree win64   # the same sources as a 64-bit program, which Wine runs on any x86-64 kernel
pick_program

DEMO="$BUILD_DIR/demo"
mkdir -p "$DEMO/app" "$DEMO/games/Orvanta" "$DEMO/games/Mireholt"
standins="$BUILD_DIR/win64/tests/standin"
cp "$PROGRAM" "$standins/ping.exe" "$standins/telnet.exe" "$DEMO/app/"
cp "$standins/orvanta.exe" "$standins/orvantaMP.exe" "$DEMO/games/Orvanta/"
cp "$standins/Mireholt.exe" "$DEMO/games/Mireholt/"

if [ -n "${DISPLAY:-}" ] && xdotool getdisplaygeometry >/dev/null 2>&1; then
    USE_DISPLAY=1
else
    USE_DISPLAY=0
    unset DISPLAY
    log "no display available: running on a virtual display and saving a screenshot"
fi
export USE_DISPLAY
trap stop_wine_session EXIT
start_wine_session "$DEMO/wineprefix"

winpath() { printf 'Z:%s' "${1//\//\\}"; }
setting() {  # family key, value name, text
    "$WINE" reg add "HKLM\\Software\\Tarnwell\\$1" /v "$2" /t REG_SZ /d "$3" /f /reg:32 </dev/null >/dev/null 2>&1
}
for family in "Haskett's Orvanta" Mireholt; do
    case "$family" in Mireholt) dir="$DEMO/games/Mireholt" ;; *) dir="$DEMO/games/Orvanta" ;; esac
    setting "$family" InstallationPath "$(winpath "$dir")"
    setting "$family" MultiplayerManualJoinPort 2346
    setting "$family" MultiplayerPlayerName Ranger
done
setting Mireholt MultiplayerManualHostAddress 127.0.0.1
setting Mireholt z_ip1 127.0.0.1
setting Mireholt z_port1 2346
setting "Haskett's Orvanta" MultiplayerManualHostAddress localhost

cd "$DEMO/app"
if [ "$USE_DISPLAY" = 1 ]; then
    log "opening MH Toolkit on $DISPLAY (stand-in games, ping and telnet show how they were started)"
    "$LOADER" MHToolkit.exe </dev/null
else
    "$LOADER" MHToolkit.exe </dev/null >/dev/null 2>&1 &
    app_pid=$!
    window=$(timeout 30 xdotool search --sync --onlyvisible --name '^MH Toolkit$' | head -n1)
    screenshot_settled "$window" "$DEMO/screenshot.png"
    log "MH Toolkit started on a virtual display; screenshot saved to $DEMO/screenshot.png"
    # Ended by its process id: never by image name, which would hit any copy of the user's.
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
fi
