#!/usr/bin/env bash
# Configures and builds into BUILD_DIR (default build/): every target, or the
# targets TARGETS names. Extra arguments go to cmake.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${BUILD_DIR:-build}"
cmake -S . -B "$build_dir" -G Ninja "$@" >/dev/null
# shellcheck disable=SC2086
ninja -C "$build_dir" -j"$(nproc)" ${TARGETS:-}
