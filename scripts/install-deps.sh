#!/usr/bin/env bash
# Installs the Debian 12 packages the editor, its tests and benchmarks need,
# and only those that are missing.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev libxkbcommon-dev
  libgtest-dev libbenchmark-dev zlib1g-dev
  fonts-liberation fonts-wqy-microhei
  xvfb xauth xdotool xclip imagemagick python3 desktop-file-utils
  lintian devscripts appstream librsvg2-bin qt6ct mandoc
  clang libclang-rt-14-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
