#!/usr/bin/env bash
# Readers of several keys on a 3.9 MB file: the backup read of the compare view and tavix-cli,
# the connection choices and a single key, in CPU and wall milliseconds per read.
#
#   bench/fileread.sh      (builds first)
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}"
configure_project >/dev/null
build_targets "$BUILD_DIR" tavix-bench-fileread >/dev/null
"$BUILD_DIR/tavix-bench-fileread"
