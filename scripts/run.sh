#!/usr/bin/env bash
# Installs what is missing, builds, sets up a demo Wine prefix with both games' keys and stand-in
# game folders, and opens the toolkit. On a desktop ($DISPLAY reachable) it opens there; with no
# display it runs on a virtual one, saves a screenshot and says where.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

PACKAGES+=(imagemagick)  # for the screenshot
install_packages
build_tree win32   # the shipped 32-bit program: $BUILD_DIR/win32/app/MHToolkit.exe
build_tree win64   # the same sources as a 64-bit program, which Wine runs on any x86-64 kernel

DEMO="$BUILD_DIR/demo"
export WINEPREFIX="$DEMO/wineprefix"
mkdir -p "$DEMO/app" "$DEMO/games/Orvanta" "$DEMO/games/Mireholt"
standins="$BUILD_DIR/win64/tests/standin"
cp "$BUILD_DIR/win64/app/MHToolkit.exe" "$standins/ping.exe" "$standins/telnet.exe" "$DEMO/app/"
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
start_wine_session

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
    "$WINE" MHToolkit.exe </dev/null
else
    "$WINE" MHToolkit.exe </dev/null >/dev/null 2>&1 &
    window=$(timeout 30 xdotool search --sync --onlyvisible --name '^MH Toolkit$' | head -n1)
    sleep 0.5
    import -window "$window" "$DEMO/screenshot.png"
    log "MH Toolkit started on a virtual display; screenshot saved to $DEMO/screenshot.png"
    "$WINE" taskkill /im MHToolkit.exe /f </dev/null >/dev/null 2>&1 || true
fi
