#!/usr/bin/env bash
# Screenshots of the main window and the About box at 96, 120, 144 and 192 DPI (Wine's LogPixels
# setting), side by side in docs/dpi-<dpi>.png. Runs the shipped 32-bit program where this machine
# runs 32-bit code, else the 64-bit build; in the Wine session of `dev-session.sh start` when one
# is up for $BUILD_DIR, otherwise in a session of its own.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

PACKAGES+=(imagemagick)
install_packages
build_tree win64
join_or_start_session
LOADER="$WINE"; PROGRAM="$BUILD_DIR/win64/app/MHToolkit.exe"
if "$WINE32" --version >/dev/null 2>&1; then
    build_tree win32
    LOADER="$WINE32"; PROGRAM="$BUILD_DIR/win32/app/MHToolkit.exe"
fi

shots="$BUILD_DIR/dpi-shots"
mkdir -p "$shots" "$ROOT/docs"
set_dpi() {
    "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f </dev/null >/dev/null 2>&1
}
for dpi in 96 120 144 192; do
    set_dpi "$dpi"
    "$LOADER" "$PROGRAM" </dev/null >/dev/null 2>&1 &
    pid=$!
    main=$(timeout 30 xdotool search --sync --onlyvisible --name '^MH Toolkit$' | head -n1)
    screenshot_settled "$main" "$shots/main-$dpi.png"
    xdotool windowfocus --sync "$main" key --delay 50 alt+a
    about=""
    for _ in $(seq 100); do
        about=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | grep -vx "$main" | head -n1 || true)
        [ -n "$about" ] && break
        sleep 0.1
    done
    screenshot_settled "$about" "$shots/about-$dpi.png"
    convert "$shots/main-$dpi.png" "$shots/about-$dpi.png" -background '#202020' -splice 16x0 +append \
        -strip "$ROOT/docs/dpi-$dpi.png"
    log "docs/dpi-$dpi.png"
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
done
set_dpi 96
