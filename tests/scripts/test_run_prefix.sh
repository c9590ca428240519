# run.sh --prefix: refuses a folder that is no Wine prefix; in a prefix it runs the program and
# leaves the prefix as it found it (no registry edits, no wineboot, no wineserver -k, no files).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
RUN="$TESTS_DIR/../../scripts/run.sh"

notprefix="$WORK/not-a-prefix"
rm -rf "$notprefix"
mkdir -p "$notprefix/drive_c"
status=0
message=$("$RUN" --prefix "$notprefix" 2>&1) || status=$?
check "a folder without registry files is refused" test "$status" -eq 2
check "the refusal says why ($message)" grep -q "is not a Wine prefix (it has no system.reg user.reg)" <<<"$message"
check "the refused folder is untouched" test "$(ls -A "$notprefix")" = drive_c
status=0
"$RUN" --prefix "$WORK/missing" >/dev/null 2>&1 || status=$?
check "a missing folder is refused" test "$status" -eq 2

make_game_prefix
start_xvfb
track end_process "$XVFB_PID"
start_game
registry_of "$GAME_PREFIX" >"$WORK/before.txt"
(cd "$GAME_PREFIX" && find . -name '*.reg' -o -printf '%p %s\n' | sort) >"$WORK/files-before.txt"

"$RUN" --prefix "$GAME_PREFIX" >"$WORK/run.log" 2>&1 &
run_pid=$!
track end_script "$run_pid"
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^MH Toolkit$' | head -n1 || true)
check "the program opened its window" test -n "$window"
# The window's process as the X server has it, once it is one of run.sh's own children (a loaded
# machine may show the window before both are to be seen).
owned_by_run() {
    local pid n=0
    while [ $n -lt 100 ]; do
        pid=$(xdotool getwindowpid "$window" 2>/dev/null || true)
        [ -n "$pid" ] && children "$run_pid" | grep -qx "$pid" && return 0
        sleep 0.1; n=$((n + 1))
    done
    echo "window pid ${pid:-none}, children of run.sh: $(children "$run_pid" | tr '\n' ' ')" >&2
    return 1
}
check "its window belongs to the program run.sh started" owned_by_run
end_script "$run_pid"
check "the game kept running (no wineserver -k)" running "$GAME_PID"
check "the program ran in the prefix" grep -q "running .*MHToolkit.exe in $GAME_PREFIX" "$WORK/run.log"
end_game

registry_of "$GAME_PREFIX" >"$WORK/after.txt"
(cd "$GAME_PREFIX" && find . -name '*.reg' -o -printf '%p %s\n' | sort) >"$WORK/files-after.txt"
check "the prefix's registry is unchanged" diff "$WORK/before.txt" "$WORK/after.txt"
check "no file was added to or changed in size in the prefix" diff "$WORK/files-before.txt" "$WORK/files-after.txt"
finish
