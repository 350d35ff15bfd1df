#!/usr/bin/env bash
# Installs every Debian package the project needs to build, run and test.
# Idempotent: the package lists are refreshed only when something is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git clang clang-format libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libusb-1.0-0-dev libjsoncpp-dev liblog4cpp5-dev libjpeg-dev libqrencode-dev
  libmbedtls-dev libboost-dev libcivetweb-dev libmagick++-dev libfontconfig-dev
  umockdev libumockdev-dev libglib2.0-dev
  fonts-wqy-microhei zbar-tools netpbm
  curl wrk python3 procps socat
  lintian fakeroot dpkg-dev systemd
  python3-prometheus-client
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup-deps: all ${#packages[@]} packages present"
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "setup-deps: missing packages (${missing[*]}); run this script as root" >&2
  exit 1
fi

echo "setup-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
