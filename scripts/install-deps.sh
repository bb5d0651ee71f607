#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12 (run as root).
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  qt6-tools-dev qt6-l10n-tools libqt6svg6 qt6-svg-dev file
  libpango1.0-dev libcairo2-dev
  libgdal-dev gdal-bin libproj-dev proj-bin libgeos-dev libgeos++-dev libnanoflann-dev
  libgtest-dev libbenchmark-dev
  fonts-thai-tlwg fontconfig
  poppler-utils
  strace python3 python3-ezdxf
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
