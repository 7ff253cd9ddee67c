#!/usr/bin/env bash
# Configures and builds the project in Release into build/ (or $DATALINK_BUILD_DIR).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${DATALINK_BUILD_DIR:-$root/build}"
jobs="$(nproc 2>/dev/null || echo 2)"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release "$@"
cmake --build "$build" -j "$jobs"
