#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running kxsaver need.
# Idempotent and silent when everything is already there.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libjpeg62-turbo-dev libpng-dev zlib1g-dev libgif-dev
  libwebp-dev libheif-dev libtiff-dev
  qt6-base-dev qt6-qpa-plugins
  libsdl2-mixer-dev
  nlohmann-json3-dev
  libx11-dev libxext-dev
  xvfb xauth xdotool imagemagick x11-utils
  xscreensaver desktop-file-utils dpkg-dev procps
  fonts-liberation fonts-dejavu-core
  clang libclang-rt-14-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
