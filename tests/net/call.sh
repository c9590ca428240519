#!/usr/bin/env bash
# call.sh RESULT CMD... : runs CMD with its output in RESULT.out, then leaves its exit status in
# RESULT.status. The network tests start Unix programs through this: Wine starts them but gives
# no handle to wait on or pipe to read.
result=$1
shift
"$@" >"$result.out" 2>&1 </dev/null
echo $? >"$result.tmp"
mv "$result.tmp" "$result.status"
