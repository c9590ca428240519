# scripts/release.sh makes the same bytes every time: a fresh release build in a folder of its own
# gives the very program the Windows-side tests ran (built elsewhere, earlier), and two releases
# give the same zip and sums. The zip holds the program, the player's guide, the licence and the
# library's notices.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
RELEASE="$TESTS_DIR/../../scripts/release.sh"

rm -rf "$WORK/release" "$WORK/dist1" "$WORK/dist2"
RELEASE_BUILD_DIR="$WORK/release" "$RELEASE" "$WORK/dist1" >/dev/null 2>&1
sleep 1  # a second later: file times must not show
RELEASE_BUILD_DIR="$WORK/release" "$RELEASE" "$WORK/dist2" >/dev/null 2>&1

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$WORK/release/CMakeCache.txt")
zip="MHToolkit-$version-win32.zip"
check "the version is a 1.1.x ($version)" grep -qE '^1\.1\.[0-9]+$' <<<"$version"
check "the program is the one the tests ran" cmp "$WORK/release/app/MHToolkit.exe" "$BUILD_DIR/win32/app/MHToolkit.exe"
check "two releases give the same zip" cmp "$WORK/dist1/$zip" "$WORK/dist2/$zip"
check "two releases give the same sums" cmp "$WORK/dist1/SHA256SUMS" "$WORK/dist2/SHA256SUMS"
check "the sums hold for the zip" bash -c "cd '$WORK/dist1' && sha256sum --quiet -c --ignore-missing SHA256SUMS"
check "the zip holds MHToolkit.exe, README.txt, LICENSE and THIRD-PARTY-NOTICES.txt, in that order" \
    test "$(unzip -Z1 "$WORK/dist1/$zip" | tr '\n' ' ')" = "MHToolkit.exe README.txt LICENSE THIRD-PARTY-NOTICES.txt "
mkdir -p "$WORK/unzipped" && rm -rf "$WORK/unzipped"/* && unzip -q "$WORK/dist1/$zip" -d "$WORK/unzipped"
check "the zipped program is the built one" cmp "$WORK/unzipped/MHToolkit.exe" "$WORK/release/app/MHToolkit.exe"
check "the program's sum is listed" grep -q "$(cd "$WORK/unzipped" && sha256sum MHToolkit.exe)" "$WORK/dist1/SHA256SUMS"
check "the guide is the player's guide" grep -q "For players" "$WORK/unzipped/README.txt"
check "the licence is MIT" grep -q "MIT License" "$WORK/unzipped/LICENSE"
# The library's licence as its source package has it, whole.
holds_license() {
    local license notices
    license=$(find "$BUILD_DIR/deps" -path '*/miniupnpc-*/source/LICENSE' | head -n1)
    [ -n "$license" ] || return 1
    notices=$(tr -d '\r' <"$WORK/unzipped/THIRD-PARTY-NOTICES.txt")
    [[ "$notices" == *"$(cat "$license")"* ]]
}
check "the notices name miniupnpc" grep -q "miniupnpc 2\.2\.4" "$WORK/unzipped/THIRD-PARTY-NOTICES.txt"
check "the notices hold the library's licence" holds_license
finish
