#!/usr/bin/env bash
# Installs every Debian package the build, the tests, the benchmarks and the fuzz targets need.
# Idempotent: packages already present are skipped, so a second run takes seconds.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev lld
  libxml2-dev libsqlite3-dev zlib1g-dev libminizip-dev
  libcurl4-openssl-dev libssl-dev
  libdconf-dev dconf-cli
  libgtest-dev libgmock-dev libbenchmark-dev
  libcpp-httplib-dev nlohmann-json3-dev
  libcairo2-dev libpango1.0-dev fonts-wqy-microhei libgif-dev libpng-dev libjpeg62-turbo-dev
  libegl-dev libgles-dev libgl1-mesa-dri libegl-mesa0
  libsdl2-dev libx11-dev libxfixes-dev
  xvfb xclip
  libicu-dev
  libwpewebkit-1.1-dev libwpebackend-fdo-1.0-dev libwayland-dev
  python3-cairo
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-tools
  xdg-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
