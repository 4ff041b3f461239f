#!/usr/bin/env bash
# Connect benchmark: the configurator against tavix-sim at 9600 bit/s over a direct line.
# For each run it measures the time from Connect to "Считывание настроек завершено" and the
# bytes exchanged, and prints the ratio of that time to the wire time of those bytes at 9600
# bit/s (10 bits a byte); 1.0 would be a line that never idles. Then it measures the CPU time
# the configurator uses during a 40 s dial wait (a modem that never answers).
#
#   bench/connect.sh [RUNS]      (default 5; builds first)
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"
runs=${1:-5}

ensure_packages "${BUILD_PACKAGES[@]}"
build_project >/dev/null

link=/tmp/ttyTAVIXBENCH
sim_err=$(mktemp)
trap 'rm -f "$sim_err"' EXIT

# Runs the bench driver once against a fresh simulator; the simulator's stop line (its byte
# counts) lands in $sim_err. Arguments: the driver's connection type, then the simulator's options.
bench_once() {
    local type=$1
    shift
    "$BUILD_DIR/tavix-sim" --link "$link" "$@" 2>"$sim_err" &
    local sim=$!
    sleep 0.3
    "$BUILD_DIR/tavix-bench-connect" "$link" "$type" 2>/dev/null
    kill "$sim"
    wait "$sim" 2>/dev/null || true
}

echo "Connect over a direct line, tavix-sim --baud 9600, $runs runs"
printf '%4s %10s %8s %8s %10s %7s\n' run connect_ms bytes_in bytes_out wire_ms ratio
for run in $(seq 1 "$runs"); do
    result=$(bench_once line --baud 9600)
    done_ms=$(sed -n 's/.*read_done_ms=\([0-9-]*\).*/\1/p' <<<"$result")
    counts=$(grep 'received' "$sim_err")
    bytes_in=$(sed -n 's/.*received \([0-9]*\) bytes.*/\1/p' <<<"$counts")
    bytes_out=$(sed -n 's/.*sent \([0-9]*\) bytes.*/\1/p' <<<"$counts")
    wire_ms=$(( (bytes_in + bytes_out) * 10 * 1000 / 9600 ))
    ratio=$(awk -v t="$done_ms" -v w="$wire_ms" 'BEGIN { printf "%.2f", t / w }')
    printf '%4s %10s %8s %8s %10s %7s\n' "$run" "$done_ms" "$bytes_in" "$bytes_out" "$wire_ms" "$ratio"
done

echo
echo "CPU during a 40 s dial wait (tavix-sim --modem --dial SILENT)"
result=$(bench_once gsm --modem --dial SILENT)
wall=$(sed -n 's/.*connect_ms=\([0-9]*\).*/\1/p' <<<"$result")
cpu=$(sed -n 's/.*cpu_s=\([0-9.]*\).*/\1/p' <<<"$result")
awk -v w="$wall" -v c="$cpu" 'BEGIN { printf "wall %.1f s, CPU %.3f s (%.2f%% of wall)\n", w / 1000, c, 100 * c * 1000 / w }'
