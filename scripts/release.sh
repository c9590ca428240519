#!/usr/bin/env bash
# Builds the shipped 32-bit program for size and writes the release a player downloads:
#   dist/MHToolkit-<version>-win32.zip   MHToolkit.exe, README.txt (the player's guide), LICENSE,
#                                        THIRD-PARTY-NOTICES.txt (miniupnpc's notice and licence)
#   dist/SHA256SUMS                      SHA-256 of the zip and of the program
# The version is the build's (project() in CMakeLists.txt). The same commit gives the same bytes:
# the link has no time stamp, and the zip holds its files in a fixed order with the time of the
# last commit (or SOURCE_DATE_EPOCH).
#   scripts/release.sh [DIST_DIR]        (default: dist/ in the repository)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

DIST="${1:-$ROOT/dist}"
RELEASE_BUILD="${RELEASE_BUILD_DIR:-$BUILD_DIR/release}"

install_packages
build_tree win32 "$RELEASE_BUILD" --target MHToolkit

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$RELEASE_BUILD/CMakeCache.txt")
[ -n "$version" ] || { log "no version in $RELEASE_BUILD/CMakeCache.txt"; exit 1; }
epoch="${SOURCE_DATE_EPOCH:-$(git -C "$ROOT" log -1 --format=%ct)}"
name="MHToolkit-$version-win32.zip"

stage="$RELEASE_BUILD/stage"
rm -rf "$stage"
mkdir -p "$stage" "$DIST"
cp "$RELEASE_BUILD/app/MHToolkit.exe" "$stage/MHToolkit.exe"
# Text files with Windows line ends, for Notepad.
sed 's/$/\r/' "$ROOT/docs/README.txt" >"$stage/README.txt"
sed 's/$/\r/' "$ROOT/LICENSE" >"$stage/LICENSE"
# Made by the build from the library's source package (cmake/miniupnpc.cmake).
sed 's/$/\r/' "$RELEASE_BUILD/THIRD-PARTY-NOTICES.txt" >"$stage/THIRD-PARTY-NOTICES.txt"
chmod 644 "$stage"/*
TZ=UTC touch -d "@$epoch" "$stage"/*
rm -f "$DIST/$name"
(cd "$stage" && TZ=UTC zip -X -D -q -9 "$DIST/$name" MHToolkit.exe README.txt LICENSE THIRD-PARTY-NOTICES.txt)
(cd "$DIST" && sha256sum "$name") >"$DIST/SHA256SUMS"
(cd "$stage" && sha256sum MHToolkit.exe) >>"$DIST/SHA256SUMS"

log "release $version: $DIST/$name ($(stat -c %s "$stage/MHToolkit.exe") bytes of program)"
cat "$DIST/SHA256SUMS"
