#!/usr/bin/env bash
# The window's benchmark: the real window, offscreen, against tavix-sim paced at 9600 bit/s in
# both directions (10 bits a byte; a command reaches the unit when its last byte would have
# crossed the line, a reply leaves no earlier than it is made). One simulator is a unit on a
# direct line, another a unit behind a GSM modem that answers the dial after 3 s and hangs up
# itself after "exit", the third the same but keeping the call (--keep-call): its Disconnect
# is the row "disconnect, GSM hang-up", the escape "+++" and "ATH" sent by the configurator.
#
# For each operation it prints (tavix-bench-window's head comment says how each is measured):
#   ms       time from the button's press to the operation's end
#   to_B     bytes the configurator sent, to_ms their wire time
#   from_B   bytes the unit (or modem) sent, from_ms their wire time
#   ratio    ms / (to_ms + from_ms): 1.0 is a line that never idles
#   cpu_ms   the window's CPU time (user + system) during the operation
#   wait     the worst wait of a 10 ms timer in the window during the operation ("event wait")
#   floor    the same for an empty QMainWindow run at the same time, under the same load
# then `tavix-cli read` against the direct line's simulator (elapsed vs wire), and the load
# (/proc/loadavg) before and after. The GSM connect includes the modem's 3 s dial and the
# pauses the sequence specifies, which are no wire time: its wait and floor are its figures.
#
#   bench/window.sh      (builds first; the run takes about a minute and a half)
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}"
build_project >/dev/null

work=$(mktemp -d)
sims=()
cleanup() {
    local pid
    for pid in "${sims[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

"$BUILD_DIR/tavix-sim" --link "$work/ttyLine" --baud 9600 2>"$work/line.err" &
line_sim=$!
sims+=("$line_sim")
"$BUILD_DIR/tavix-sim" --link "$work/ttyGsm" --baud 9600 --modem 2>"$work/gsm.err" &
gsm_sim=$!
sims+=("$gsm_sim")
"$BUILD_DIR/tavix-sim" --link "$work/ttyHangUp" --baud 9600 --modem --keep-call \
    2>"$work/hangup.err" &
hangup_sim=$!
sims+=("$hangup_sim")
for link in "$work/ttyLine" "$work/ttyGsm" "$work/ttyHangUp"; do
    for _ in $(seq 50); do [ -L "$link" ] && break; sleep 0.1; done
done

echo "The window against tavix-sim --baud 9600 (direct line; GSM modem answering; the same" \
    "with --keep-call)"
"$BUILD_DIR/tavix-bench-window" "$work/ttyLine" "$line_sim" "$work/line.err" \
    "$work/ttyGsm" "$gsm_sim" "$work/gsm.err" \
    "$work/ttyHangUp" "$hangup_sim" "$work/hangup.err" 2>"$work/window.err" ||
    { cat "$work/window.err" >&2; exit 1; }

# The simulator's bytes received and sent so far: SIGUSR1 makes it print them.
sim_bytes() {
    local before
    before=$(grep -c 'received' "$2" || true)
    kill -USR1 "$1"
    for _ in $(seq 500); do
        [ "$(grep -c 'received' "$2" || true)" -gt "$before" ] && break
        sleep 0.01
    done
    grep 'received' "$2" | tail -n 1 | awk '{ print $3, $6 }'
}

# tavix-cli writes its Log.txt and backup beside itself: a copy in the work folder keeps them
# out of the build.
cp "$BUILD_DIR/tavix-cli" "$work/"
echo
echo "tavix-cli read against tavix-sim --baud 9600 (direct line); load $(cat /proc/loadavg)"
read -r in0 out0 < <(sim_bytes "$line_sim" "$work/line.err")
start=$(date +%s%N)
"$work/tavix-cli" read --port "$work/ttyLine" --speed 9600 >/dev/null 2>"$work/cli.err" ||
    { cat "$work/cli.err" >&2; exit 1; }
end=$(date +%s%N)
sleep 0.3
read -r in1 out1 < <(sim_bytes "$line_sim" "$work/line.err")
awk -v ms=$(( (end - start) / 1000000 )) -v to=$(( in1 - in0 )) -v from=$(( out1 - out0 )) 'BEGIN {
    to_ms = to * 10 * 1000 / 9600; from_ms = from * 10 * 1000 / 9600
    printf "%8s %6s %7s %7s %8s %6s\n", "ms", "to_B", "from_B", "to_ms", "from_ms", "ratio"
    printf "%8d %6d %7d %7.0f %8.0f %6.2f\n", ms, to, from, to_ms, from_ms, ms / (to_ms + from_ms)
}'
echo "load at the end: $(cat /proc/loadavg)"
