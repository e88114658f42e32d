#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, test and run VORLEX II.
# Does nothing when they are all present already.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-svg-dev qt6-translations-l10n libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev libuchardet-dev
  fonts-dejavu-core xvfb xauth xdotool xclip imagemagick openbox x11-utils
  weston xwayland wl-clipboard
  clang libclang-rt-14-dev clang-format-14 desktop-file-utils
  dpkg-dev lintian appstream bash-completion man-db
  python3-dev pybind11-dev python3-pytest python3-dask
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
