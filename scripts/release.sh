#!/usr/bin/env bash
# Builds the shipped 32-bit program for size and writes the release a player downloads:
#   dist/MHToolkit-<version>-win32.zip   the files of ZIP_FILES below, SHA256SUMS.txt last
#   dist/SHA256SUMS                      SHA-256 of the zip, for `sha256sum -c SHA256SUMS` beside it
# The zip's SHA256SUMS.txt holds the SHA-256 of each other file in it, for a check after unzipping
# (`sha256sum -c SHA256SUMS.txt`, or certutil / Get-FileHash on Windows).
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
zip="MHToolkit-$version-win32.zip"

stage="$RELEASE_BUILD/stage"
rm -rf "$stage"
mkdir -p "$stage" "$DIST"

# The zip's files, in their order in the zip: name in the zip, then its source. Text files (.txt,
# LICENSE) get Windows line ends, for Notepad.
ZIP_FILES=(
    MHToolkit.exe "$RELEASE_BUILD/app/MHToolkit.exe"
    README.txt    "$ROOT/docs/README.txt"
    LICENSE       "$ROOT/LICENSE"
    THIRD-PARTY-NOTICES.txt "$RELEASE_BUILD/THIRD-PARTY-NOTICES.txt"  # made by cmake/miniupnpc.cmake
)
names=()
for ((i = 0; i < ${#ZIP_FILES[@]}; i += 2)); do
    name="${ZIP_FILES[i]}" source="${ZIP_FILES[i + 1]}"
    case "$name" in
        *.txt | LICENSE) sed 's/$/\r/' "$source" >"$stage/$name" ;;
        *) cp "$source" "$stage/$name" ;;
    esac
    names+=("$name")
done
(cd "$stage" && sha256sum "${names[@]}" | sed 's/$/\r/') >"$stage/SHA256SUMS.txt"
names+=(SHA256SUMS.txt)

chmod 644 "$stage"/*
TZ=UTC touch -d "@$epoch" "$stage"/*
rm -f "$DIST/$zip"
(cd "$stage" && TZ=UTC zip -X -D -q -9 "$DIST/$zip" "${names[@]}")
(cd "$DIST" && sha256sum "$zip") >"$DIST/SHA256SUMS"

log "release $version: $DIST/$zip ($(stat -c %s "$stage/MHToolkit.exe") bytes of program)"
cat "$DIST/SHA256SUMS" "$stage/SHA256SUMS.txt"
