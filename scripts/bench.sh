#!/usr/bin/env bash
# Benchmarks under Wine, on the shipped 32-bit build (where this machine runs 32-bit code) and on the
# 64-bit build: the start-up against a bare dialog on the same template (bench/startup_bench.cpp),
# printing every round and the medians; the handling of a game radio's click (bench/click_bench.cpp),
# its medians and registry calls; and the shipped program's size.
#   scripts/bench.sh [rounds]        (start-up rounds: default 15, at least 10)
# Runs in the Wine session of `dev-session.sh start` when one is up for $BUILD_DIR, otherwise in
# a session of its own that it ends again.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

install_packages
build_tree win32
build_tree win64

join_or_start_session

summary=()
bench() {  # tree, loader
    log "start-up benchmark, $1 (load average: $(cut -d' ' -f1-3 /proc/loadavg))"
    "$2" "$BUILD_DIR/$1/bench/startup_bench.exe" "${@:3}" </dev/null | tee "$BUILD_DIR/bench-$1.txt"
    summary+=("$1: $(grep 'median ratio' "$BUILD_DIR/bench-$1.txt" | sed 's/^ *//')")
}
if runs_32bit_code; then
    bench win32 "$WINE32" "$@"
else
    summary+=("win32: not run: this kernel refuses 32-bit code; $PROBE32_SAW")
fi
bench win64 "$WINE" "$@"

# The game radio's click (bench/click_bench.cpp). Its standard error, which the toolkit it starts
# inherits, takes Wine's trace of the toolkit's registry calls, which the bench counts.
click_bench() {  # tree, loader
    local trace="$BUILD_DIR/click-trace-$1.txt" rc=0
    log "game radio click benchmark, $1 (load average: $(cut -d' ' -f1-3 /proc/loadavg))"
    "$2" "$BUILD_DIR/$1/bench/click_bench.exe" --trace "Z:${trace//\//\\}" 2>"$trace" </dev/null |
        tee "$BUILD_DIR/click-$1.txt" || rc=$?
    grep -v ':trace:\|:fixme:' "$trace" >&2 || true
    rm -f "$trace"
    [ "$rc" -eq 0 ] || return "$rc"
    # The two series of the toolkit built here (the bench prints with \r\n line ends).
    summary+=("$1 click: $(tr -d '\r' <"$BUILD_DIR/click-$1.txt" | grep -A2 'MHToolkit\.exe$' | tail -n2 |
                           sed 's/^ *//' | paste -sd';' - || true)")
}
if runs_32bit_code; then click_bench win32 "$WINE32"; fi
click_bench win64 "$WINE"

echo
echo "shipped program: $BUILD_DIR/win32/app/MHToolkit.exe, $(stat -c %s "$BUILD_DIR/win32/app/MHToolkit.exe") bytes"
printf '%s\n' "${summary[@]}"
