# A second test run on a build folder that a run still uses stops at once, saying so, and touches
# nothing there: the runs would read and delete each other's sandbox and reports.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

folder="$WORK/one-run"
rm -rf "$folder"
mkdir -p "$folder"
# Stands for the running test.sh: a process whose command line names it (one process, its output
# away from ctest's, so that ending it ends all of it).
python3 -c 'import time; time.sleep(120)' scripts/test.sh >/dev/null 2>&1 &
holder=$!
track end_process "$holder"
echo "$holder" >"$folder/test-run.pid"

status=0
out=$(BUILD_DIR="$folder" timeout 120 bash "$TESTS_DIR/../../scripts/test.sh" 2>&1) || status=$?
echo "$out"
check "the second run failed" test "$status" -eq 1
check "saying which run holds the folder" grep -q "another test run (pid $holder) uses $folder" <<<"$out"
check "the holder's mark stays" test "$(cat "$folder/test-run.pid")" = "$holder"
check "nothing was built there" test -z "$(ls "$folder" | grep -vx test-run.pid)"

exit $((failures > 0))
