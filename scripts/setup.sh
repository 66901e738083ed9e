#!/usr/bin/env bash
# Installs the Debian packages this project needs to build, test and run.
# Only missing packages are installed; running it again does nothing.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev qt6-translations-l10n
  libcurl4-openssl-dev ca-certificates
  libgtest-dev libgmock-dev
  libcpp-httplib-dev
  libcli11-dev
  libbenchmark-dev libpcre2-dev libonig-dev
  fonts-noto-cjk
)
# Extra packages for optional tasks (screenshots, table generator) are added
# by the caller, e.g. scripts/setup.sh xvfb xauth (npm comes with Node.js)
PACKAGES+=("$@")

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
