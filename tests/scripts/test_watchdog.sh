# The run's watchdog (watch_wineserver): a wineserver that stays busy while no test progresses is
# named with its test, its state is saved, and the ctest and the processes of that prefix end by
# pid, while a process of another prefix and a busy server of a test that progresses are left alone.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

dir="$WORK/watchdog"
rm -rf "$dir"
mkdir -p "$dir"
prefix="$dir/prefix" other="$dir/other-prefix"
mkdir -p "$prefix" "$other"
# A stand-in wineserver: a busy program whose file is named like one, working in the prefix's
# server folder, which is how wineserver_of knows a prefix's server.
server_dir="$dir/server-$(stat -c %D "$prefix")-$(printf %x "$(stat -c %i "$prefix")")"
mkdir -p "$server_dir"
cp "$(command -v yes)" "$dir/wineserver-standin"
start_server() {
    (cd "$server_dir" && exec "$dir/wineserver-standin" >/dev/null) &
    SERVER=$!
    track end_process "$SERVER"
}
start_client() {  # prefix
    WINEPREFIX="$1" sleep 300 &
    CLIENT=$!
    track end_process "$CLIENT"
}
not_running() { ! running "$1"; }
export MHT_TEST_MARK="$dir/mark"
echo "test_settings_location.exe --gtest_filter=SettingsLocationTest.Spins --gtest_also_run_disabled_tests" >"$MHT_TEST_MARK"
log_file="$dir/ctest.log"
: >"$log_file"

# A test that progresses (its log grows) keeps its busy server.
start_server
start_client "$prefix"
prefix_client=$CLIENT
sleep 300 &
ctest=$!
track end_process "$ctest"
(for n in $(seq 1 8); do echo "line $n" >>"$log_file"; sleep 1; done) &
writer=$!
WATCHDOG_SECONDS=4 watch_wineserver "$prefix" "$ctest" "$log_file" "$dir/progressing" &
watchdog=$!
wait "$writer"
check "a server of a test that progresses is left alone" running "$SERVER"
check "so is the test" running "$ctest"
check "and nothing is reported" test ! -e "$dir/progressing/verdict"
kill "$watchdog"
wait "$watchdog" 2>/dev/null || true

# No progress: the watchdog acts within its time plus a few seconds.
start_client "$other"
other_client=$CLIENT
started=$(date +%s)
WATCHDOG_SECONDS=4 WATCHDOG_SAMPLES=1 watch_wineserver "$prefix" "$ctest" "$log_file" "$dir/stuck"
took=$(( $(date +%s) - started ))
check "it acted within 90 s ($took s)" test "$took" -le 90
verdict=$(cat "$dir/stuck/verdict" 2>/dev/null || true)
echo "verdict: $verdict"
check "it names the test" grep -q "in SettingsLocationTest.Spins;" <<<"$verdict"
check "it names the server" grep -qF "(pid $SERVER)" <<<"$verdict"
check "the server's state was saved" grep -q "^State:" "$dir/stuck/state.txt"
check "with a backtrace" grep -q "^#0 " "$dir/stuck/gdb.txt"
check "and the code it runs" grep -qE "^=> 0x[0-9a-f]+" "$dir/stuck/gdb.txt"
for n in $(seq 1 40); do running "$SERVER" || running "$ctest" || running "$prefix_client" || break; sleep 0.05; done
check "the server was ended" not_running "$SERVER"
check "the ctest was ended" not_running "$ctest"
check "the prefix's client was ended" not_running "$prefix_client"
check "a process of another prefix runs on" running "$other_client"
exit $((failures > 0))
