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
  python3-prometheus-client chromium nodejs
)
# npm comes with some builds of nodejs; Debian's own is a package of its own.
command -v npm >/dev/null || packages+=(npm)

# The browser test's npm packages (puppeteer-core; it drives the Chromium above
# and downloads no browser of its own), installed once the packages are there.
install_browser_test_packages() {
  local dir
  dir="$(cd "$(dirname "$0")/.." && pwd)/tests/browser"
  [ -d "$dir/node_modules/puppeteer-core" ] && return 0
  command -v npm >/dev/null || return 0
  (cd "$dir" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup-deps: all ${#packages[@]} packages present"
  install_browser_test_packages
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
install_browser_test_packages
