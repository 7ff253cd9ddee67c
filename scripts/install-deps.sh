#!/usr/bin/env bash
# Installs the Debian packages the data link needs to build, test and run.
# Idempotent: installs only what is missing. Run as root (or with sudo present).
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qtbase5-dev libqt5sql5-sqlite
  libproj-dev proj-data
  libsegyio-dev libsqlite3-dev
  xvfb xauth
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
run_as_root=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    run_as_root=(sudo)
  else
    echo "Missing packages (${missing[*]}) and not root: install them, or run this script as root." >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
"${run_as_root[@]}" apt-get update -qq
"${run_as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
