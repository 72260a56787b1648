#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12, skipping what is
# already there. Runs apt-get as root (directly, or through sudo).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-image-formats-plugins libgl-dev
  libopenjp2-7-dev libmagick++-6.q16-dev libpng-dev libtiff-dev zlib1g-dev
  libgtest-dev googletest
  libxcb1-dev
  fonts-dejavu-core xvfb xauth openbox xdotool wmctrl x11-utils xclip
)
if [[ "${1:-}" == "--bench" ]]; then
  packages+=(libvips-tools libvips-dev imagemagick libxdamage-dev libxtst-dev)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

as_root=()
if [[ $(id -u) -ne 0 ]]; then as_root=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
