#!/usr/bin/env bash
# Dial-up soak: the configurator keeps a GSM session with tavix-sim --modem open for MINUTES
# (default 30) with its keep-alive running, reads and writes a page every minute, and reports
# its resident size at the start and the end, its CPU share, the exchanges made and any failed
# one. Goals: growth under 1 MiB, no failed exchange, CPU under 1 %; exit status 1 when one is
# missed. The simulator runs as a process of its own, so the figures are the configurator's.
#
#   bench/soak.sh [MINUTES]      (builds first)
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"
minutes=${1:-30}
case "$minutes" in
    '' | *[!0-9]* | 0)
        echo "usage: bench/soak.sh [MINUTES]" >&2
        exit 2
        ;;
esac

ensure_packages "${BUILD_PACKAGES[@]}"
build_project >/dev/null

work=$(mktemp -d)
link="$work/ttySoak"
sim=
cleanup() {
    [ -n "$sim" ] && kill "$sim" 2>/dev/null && wait "$sim" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

"$BUILD_DIR/tavix-sim" --link "$link" --modem 2>"$work/sim.err" &
sim=$!
for _ in $(seq 50); do
    [ -e "$link" ] && break
    sleep 0.1
done
[ -e "$link" ] || {
    echo "tavix-sim did not start:" >&2
    cat "$work/sim.err" >&2
    exit 1
}

echo "Soak: $minutes min over GSM against tavix-sim --modem"
status=0
"$BUILD_DIR/tavix-bench-soak" "$link" "$minutes" 2>"$work/soak.err" || status=$?
reported=$(grep -v -e '^QStandardPaths' -e 'propagateSizeHints' "$work/soak.err" | head -40 || true)
if [ -n "$reported" ]; then
    echo
    echo "Reported on the way:"
    echo "$reported"
fi
exit "$status"
