#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through CTest
# (offscreen, no display needed).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${DATALINK_BUILD_DIR:-$root/build}"

bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"

export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure -j 2 --timeout 1200
