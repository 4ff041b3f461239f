#!/usr/bin/env bash
# Page operations benchmark: the configurator against a simulated unit on a direct line at
# 9600 bit/s. Prints, for readSensors, readCorrectors, writeSensors with every row changed and
# clearSettings with its read-back, the time taken, the bytes exchanged, their wire time and the
# ratio of the two; then the largest delay of a 10 ms timer during a 50 s procedure wait.
#
#   bench/pages.sh      (builds first; takes about a minute and a half)
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}"
build_project >/dev/null
"$BUILD_DIR/tavix-bench-pages" 2>/dev/null
