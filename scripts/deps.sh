#!/usr/bin/env bash
# Installs the Debian packages that building and playing need; with --tests
# also those the tests add (sanitizer runtimes, GoogleTest, Google Benchmark,
# a private X server and the tools that drive and look at the game, the tools
# that build and check the package); with --package those that build and check
# the package; with --chroot also debootstrap, to try it in a fresh system;
# with --dev also a compiler cache that several checkouts share; with --web
# what the browser build needs (scripts/web.sh).
# Runs apt-get update only when something is missing; does nothing when all is there.
# Usage: deps.sh [--tests | --package | --chroot | --dev | --web]
set -euo pipefail

play_packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config
  gettext # msgfmt builds the message catalogues
  # libraries of the game
  libsdl2-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri
  libpng-dev libjpeg62-turbo-dev libxml2-dev
  libfreetype-dev libfontconfig-dev fonts-dejavu-core
  fonts-dejavu-extra # the condensed bold face that stands in for "Impact"
  fonts-vlgothic # the Japanese letters
  libogg-dev libvorbis-dev libasound2-dev libcdio-dev libsimpleini-dev
)
test_packages=(
  # the sanitizer and ThreadSanitizer builds
  clang libclang-rt-14-dev
  # unit tests and benchmarks
  googletest libgtest-dev libbenchmark-dev
  # end-to-end tests: a private X server, input, screenshots, processes
  xvfb xauth xfonts-base xdotool x11-utils imagemagick procps
  openbox # a window manager that draws frames and keeps windows off a panel
)
# The Debian package: built from debian/ with debhelper by dpkg-buildpackage,
# checked as a packager would.
package_packages=(dpkg-dev debhelper file lintian appstream desktop-file-utils)
# scripts/try-package.sh installs the package into a fresh Debian 12.
chroot_packages=(debootstrap)
# Working on the code: ccache, used with -DCMAKE_CXX_COMPILER_LAUNCHER=ccache.
dev_packages=(ccache)
# The browser build: Debian's emscripten (it brings node), dpkg-dev so that
# apt-get source unpacks the libraries' source packages, and clang, which
# builds the native check of the shake's sine and cosine.
web_packages=(emscripten dpkg-dev clang)

packages=("${play_packages[@]}")
case "${1:-}" in
  "") ;;
  --tests) packages+=("${test_packages[@]}" "${package_packages[@]}") ;;
  --package) packages+=("${package_packages[@]}") ;;
  --chroot) packages+=("${package_packages[@]}" "${chroot_packages[@]}") ;;
  --dev) packages+=("${test_packages[@]}" "${package_packages[@]}" "${dev_packages[@]}") ;;
  --web) packages+=("${web_packages[@]}") ;;
  *) echo "usage: $0 [--tests | --package | --chroot | --dev | --web]" >&2; exit 2 ;;
esac

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
