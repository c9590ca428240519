# scripts/release.sh makes the same bytes every time: a fresh release build in a folder of its own
# gives the very program the Windows-side tests ran (built elsewhere, earlier), and two releases
# give the same zip and sums. The sums check in the download folder as published, and the zip's
# own sums check its files after unzipping. The zip holds the library's notices too.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
RELEASE="$TESTS_DIR/../../scripts/release.sh"

rm -rf "$WORK/release" "$WORK/dist1" "$WORK/dist2" "$WORK/unzipped"
started=$(date +%s)
RELEASE_BUILD_DIR="$WORK/release" "$RELEASE" "$WORK/dist1" >/dev/null 2>&1
# The second release in another two-second slot of the zip's file times, so that the clock would show.
while [ "$(date +%s)" -lt $((started + 2)) ]; do sleep 0.1; done
RELEASE_BUILD_DIR="$WORK/release" "$RELEASE" "$WORK/dist2" >/dev/null 2>&1

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$WORK/release/CMakeCache.txt")
zip="MHToolkit-$version-win32.zip"
check "the version is a 1.1.x ($version)" grep -qE '^1\.1\.[0-9]+$' <<<"$version"
check "the program is the one the tests ran" cmp "$WORK/release/app/MHToolkit.exe" "$BUILD_DIR/win32/app/MHToolkit.exe"
check "two releases give the same zip" cmp "$WORK/dist1/$zip" "$WORK/dist2/$zip"
check "two releases give the same sums" cmp "$WORK/dist1/SHA256SUMS" "$WORK/dist2/SHA256SUMS"
check "SHA256SUMS lists the zip alone" test "$(cut -d' ' -f3- "$WORK/dist1/SHA256SUMS")" = "$zip"
check "sha256sum -c SHA256SUMS passes in the download folder" \
    bash -c "cd '$WORK/dist1' && sha256sum --strict -c SHA256SUMS"
check "the zip holds MHToolkit.exe, README.txt, LICENSE, THIRD-PARTY-NOTICES.txt and SHA256SUMS.txt, in that order" \
    test "$(unzip -Z1 "$WORK/dist1/$zip" | tr '\n' ' ')" = "MHToolkit.exe README.txt LICENSE THIRD-PARTY-NOTICES.txt SHA256SUMS.txt "
# The zip keeps times to two seconds, rounded up.
epoch=$(git -C "$ROOT" log -1 --format=%ct)
commit_time=$(date -u -d "@$((epoch + epoch % 2))" +%Y%m%d.%H%M%S)
check "every file in the zip has the last commit's time ($commit_time)" \
    test "$(TZ=UTC unzip -Z -T "$WORK/dist1/$zip" | awk '/^-/ { print $7 }' | sort -u)" = "$commit_time"

unzip -q "$WORK/dist1/$zip" -d "$WORK/unzipped"
check "the zipped program is the built one" cmp "$WORK/unzipped/MHToolkit.exe" "$WORK/release/app/MHToolkit.exe"
check "sha256sum -c SHA256SUMS.txt passes after unzipping" \
    bash -c "cd '$WORK/unzipped' && sha256sum --strict -c SHA256SUMS.txt"
built_sum=$(sha256sum "$WORK/release/app/MHToolkit.exe" | cut -d' ' -f1)
check "SHA256SUMS.txt gives the built program's hash for MHToolkit.exe, for certutil and Get-FileHash" \
    grep -qx "$built_sum  MHToolkit.exe"$'\r' "$WORK/unzipped/SHA256SUMS.txt"
check "SHA256SUMS.txt has a line for each other file of the zip, in its order" \
    test "$(cut -d' ' -f3- "$WORK/unzipped/SHA256SUMS.txt" | tr -d '\r')" = \
         "$(unzip -Z1 "$WORK/dist1/$zip" | grep -vx SHA256SUMS.txt)"
check "the guide is the player's guide" grep -q "For players" "$WORK/unzipped/README.txt"
check "the guide tells how to check the program after unzipping" grep -q "SHA256SUMS.txt" "$WORK/unzipped/README.txt"
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
