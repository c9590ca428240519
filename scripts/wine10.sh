# The Wine 10 of Debian 13 in a root of its own under the build folder, for the suite's second
# run: players run the toolkit under the Wine their launcher ships (Proton 9/10, Lutris and Bottles
# runners 9/10), not under the Debian 12 machine's Wine 8. Nothing of it is installed on the
# machine. Source it after common.sh.

WINE10_DIR="$BUILD_DIR/wine10"
WINE10_ROOT="$WINE10_DIR/root"
WINE10_PREFIX="$WINE10_DIR/wineprefix"  # never opened by Wine 8, nor build/wineprefix by Wine 10
WINE10_SUITE=trixie
# Wine's 32-bit part comes from the root's i386 architecture, as on the machine; ctest stays the
# machine's (the test programs reach the root's Wine through cmake/wine-emulator.sh); the keystroke
# tests start xdotool from Wine, so from inside the root.
WINE10_PACKAGES=(wine wine64 wine32:i386 fonts-wine xvfb xdotool)
WINE10_MOUNTS=()

# The mirror the machine uses, else Debian's own.
wine10_mirror() {
    local uri
    uri=$(sed -nE 's/^URIs:[[:space:]]*(http[^[:space:]]*\/debian\/?)([[:space:]].*)?$/\1/p' \
              /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n1)
    [ -n "$uri" ] || uri=$(sed -nE 's/^[[:space:]]*deb[[:space:]]+(http[^[:space:]]*\/debian\/?)[[:space:]].*/\1/p' \
                               /etc/apt/sources.list 2>/dev/null | head -n1)
    echo "${uri:-http://deb.debian.org/debian}"
}

# What the root is made of: when it changes, the root is made again.
wine10_recipe() {
    printf '%s\n' "suite=$WINE10_SUITE" "mirror=$(wine10_mirror)" "packages=${WINE10_PACKAGES[*]}" "variant=minbase"
}

# Why the root cannot be had here; nothing when it can.
wine10_unavailable_reason() {
    [ "$(id -u)" -eq 0 ] || { echo "making and entering its root needs root (this run's user id is $(id -u))"; return; }
    command -v debootstrap >/dev/null || { echo "debootstrap is missing"; return; }
    [ -e "/usr/share/debootstrap/scripts/$WINE10_SUITE" ] || { echo "this debootstrap does not know Debian $WINE10_SUITE"; return; }
}

# Mounts a file system or binds a folder into a root, remembered for wine10_unmount.
wine10_mount() {  # root-relative target, mount arguments...
    local target="$1"
    shift
    mkdir -p "$target"
    mount "$@" "$target" && WINE10_MOUNTS=("$target" "${WINE10_MOUNTS[@]}")
}

# Unmounts what wine10_mount mounted, last first (each with what was mounted below it).
wine10_unmount() {
    local target
    for target in "${WINE10_MOUNTS[@]}"; do
        umount -R "$target" 2>/dev/null || umount -R -l "$target" 2>/dev/null || true
    done
    WINE10_MOUNTS=()
}

# Makes the root when it is missing or its recipe changed: debootstrap, then Wine from the root's
# own apt. Made in a folder beside it and renamed when complete, so a failed attempt leaves no root.
# Prints why on failure.
wine10_make_root() {
    local recipe new="$WINE10_DIR/root.new" mirror log="$WINE10_DIR/make-root.log"
    recipe=$(wine10_recipe)
    if [ -f "$WINE10_ROOT/.mht-recipe" ] && [ "$(cat "$WINE10_ROOT/.mht-recipe")" = "$recipe" ]; then return 0; fi
    mirror=$(wine10_mirror)
    log "making the Wine 10 root $WINE10_ROOT (Debian $WINE10_SUITE from $mirror; log $log)"
    mkdir -p "$WINE10_DIR"
    wine10_sweep_mounts
    wine10_remove_tree "$new" && wine10_remove_tree "$WINE10_ROOT" || { echo "an old root is still in use"; return 1; }
    if ! debootstrap --variant=minbase "$WINE10_SUITE" "$new" "$mirror" >"$log" 2>&1; then
        echo "debootstrap of Debian $WINE10_SUITE from $mirror failed: $(grep -E '^[EW]:' "$log" | tail -n1)"
        wine10_remove_tree "$new"
        return 1
    fi
    cp /etc/resolv.conf "$new/etc/resolv.conf" 2>/dev/null || true
    wine10_mount "$new/proc" -t proc proc
    local rc=0
    chroot "$new" /bin/sh -ec '
        dpkg --add-architecture i386
        apt-get update -q
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$@"
        apt-get clean' sh "${WINE10_PACKAGES[@]}" >>"$log" 2>&1 || rc=$?
    wine10_unmount
    if [ $rc -ne 0 ]; then
        echo "installing ${WINE10_PACKAGES[*]} in the Debian $WINE10_SUITE root failed: $(grep -E '^E:' "$log" | tail -n1)"
        wine10_remove_tree "$new"
        return 1
    fi
    printf '%s\n' "$recipe" >"$new/.mht-recipe"
    mv "$new" "$WINE10_ROOT"
    log "Wine 10 root ready"
}

# Unmounts whatever is still mounted below the Wine 10 folder (a run that was killed), deepest first.
wine10_sweep_mounts() {
    local dir target
    [ -d "$WINE10_DIR" ] || return 0
    dir=$(realpath "$WINE10_DIR")
    awk '{ print $2 }' /proc/self/mounts | grep -E "^$dir/" | sort -r | while read -r target; do
        umount -l "$target" 2>/dev/null || true
    done
}

# Removes a root, refusing while anything is mounted below it.
wine10_remove_tree() {
    [ -e "$1" ] || return 0
    if grep -q " $(realpath "$1")[/ ]" /proc/self/mounts; then
        echo "something is still mounted below $1" >&2
        return 1
    fi
    rm -rf --one-file-system "$1"
}

# Enters the root for the suite: / a mount point of its own (ip netns exec inside needs one),
# /proc, /dev, /sys, and the work tree at the same path, so that CTest's paths hold.
wine10_enter() {
    wine10_sweep_mounts
    wine10_mount "$WINE10_ROOT" --bind "$WINE10_ROOT" &&
        wine10_mount "$WINE10_ROOT/proc" -t proc proc &&
        wine10_mount "$WINE10_ROOT/dev" --rbind /dev &&
        wine10_mount "$WINE10_ROOT/sys" --rbind /sys &&
        wine10_mount "$WINE10_ROOT$ROOT" --bind "$ROOT" || return 1
    if [ "${BUILD_DIR#"$ROOT"/}" = "$BUILD_DIR" ]; then  # a build folder outside the tree
        wine10_mount "$WINE10_ROOT$BUILD_DIR" --bind "$BUILD_DIR" || return 1
    fi
    # A slave of the machine's /run/netns (a shared mount): namespaces made outside show inside, and
    # unmounting it here does not take the machine's namespaces along.
    if [ -d /run/netns ]; then
        wine10_mount "$WINE10_ROOT/run/netns" --bind /run/netns && mount --make-rslave "$WINE10_ROOT/run/netns" || return 1
    fi
    # Its own /tmp: the Wine 10 servers' sockets stay apart from the machine's.
    chmod 1777 "$WINE10_ROOT/tmp"
}
