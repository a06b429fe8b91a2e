#!/usr/bin/env bash
# Installs every Debian package that building, playing and testing need.
# Runs apt-get update only when something is missing; does nothing when all is there.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  # libraries of the game
  libsdl2-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri
  libpng-dev libjpeg62-turbo-dev libxml2-dev
  libfreetype-dev libfontconfig-dev fonts-dejavu-core
  fonts-dejavu-extra # the condensed bold face that stands in for "Impact"
  libogg-dev libvorbis-dev libasound2-dev libcdio-dev libsimpleini-dev
  # tests and benchmarks
  googletest libgtest-dev libbenchmark-dev
  xvfb xauth xfonts-base xdotool x11-utils imagemagick procps
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
