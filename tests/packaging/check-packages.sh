#!/usr/bin/env bash
# Builds the Debian packages and checks them without installing anything on this
# machine: lintian (no errors), the file list of each package, the maintainer
# scripts, "apt install ./FILE.deb" simulated, then in a scratch root (dpkg -x):
# sonames, the unit (systemd-analyze verify), the udev rules, one heart_beat of
# the unpacked devhttpd, and a host program built against the development
# package with pkg-config and with find_package(KioskDevices).
# Build folder: $KQ_PACKAGE_BUILD_DIR (build/package).
set -euo pipefail
cd "$(dirname "$0")/../.."
src=$PWD
here=$src/tests/packaging
build=${KQ_PACKAGE_BUILD_DIR:-build/package}
version=1.1.0
user=kioskdev

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake --preset package -B "$build" "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB >/dev/null)
build=$(cd "$build" && pwd)

arch=$(dpkg --print-architecture)
triplet=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
devices=$build/kiosk-devices_${version}_$arch.deb
dev=$build/kiosk-devices-dev_${version}_$arch.deb
sim=$build/kiosk-sim_${version}_$arch.deb

scratch=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

failures=0
fail() {
  echo "check-packages: $*" >&2
  failures=$((failures + 1))
}

for deb in "$devices" "$dev" "$sim"; do
  [ -f "$deb" ] || { echo "check-packages: $deb was not built" >&2; exit 1; }
done

echo "== lintian"
# Warnings are shown; errors fail. Lintian refuses nothing when run as root, but
# says so: that line is not a finding.
lintian --fail-on error --tag-display-limit 0 "$devices" "$dev" "$sim" 2>&1 |
  grep -v 'running with root privileges' || true
lintian --fail-on error "$devices" "$dev" "$sim" >/dev/null 2>&1 || fail "lintian reports errors"

echo "== file lists"
# Every file of a package matches one of its patterns (nothing strays in), and
# every required path is there.
check_list() {
  local deb=$1 patterns=$2
  shift 2
  local list
  list=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./|/|' | grep -v '/$')
  while IFS= read -r path; do
    if ! grep -qxE -f <(tr -s ' \n' '\n\n' <<<"$patterns" | sed '/^$/d') <<<"$path"; then
      fail "$(basename "$deb"): unexpected file $path"
    fi
  done <<<"$list"
  for required in "$@"; do
    grep -qxF "$required" <<<"$list" || fail "$(basename "$deb"): missing $required"
  done
}

lib=/usr/lib/$triplet
doc_patterns() { echo "/usr/share/doc/$1/copyright /usr/share/doc/$1/changelog\\.gz"; }
devices_required=(/usr/bin/devhttpd /usr/bin/ecptest
  "$lib/libdevsdk.so.1" "$lib/libkqCR80Printer.so.1" "$lib/libcardpaint.so.1"
  /usr/share/kiosk-devices/web/index.html /lib/systemd/system/devhttpd.service
  /lib/udev/rules.d/60-kiosk-devices.rules /etc/kiosk-devices/devhttpd.conf
  /usr/share/doc/kiosk-devices/copyright /usr/share/doc/kiosk-devices/changelog.gz)
# Programs built by this tree join the package; so does the sample CR80 SDK.
for program in devconsole cr80demo; do
  if [ -x "$build/bin/$program" ]; then devices_required+=("/usr/bin/$program"); fi
done
if [ -f "$build/lib/KQCR80Printer.so" ]; then
  devices_required+=("$lib/kiosk-devices/cr80/KQCR80Printer.so")
fi
check_list "$devices" "/usr/bin/(devhttpd|ecptest|devconsole|cr80demo)
  $lib/lib(devsdk|kqCR80Printer|cardpaint)\\.so\\.[0-9.]+ $lib/kiosk-devices/cr80/KQCR80Printer\\.so
  /usr/share/kiosk-devices/web/.+ /lib/systemd/system/devhttpd\\.service
  /lib/udev/rules\\.d/60-kiosk-devices\\.rules /etc/kiosk-devices/devhttpd\\.conf
  $(doc_patterns kiosk-devices)" "${devices_required[@]}"
check_list "$dev" "$lib/lib(devsdk|kqCR80Printer|cardpaint)\\.so
  /usr/include/kiosk-devices/[A-Za-z0-9_]+\\.h $lib/pkgconfig/(devsdk|kqCR80Printer|cardpaint)\\.pc
  $lib/cmake/KioskDevices/KioskDevicesConfig(Version)?\\.cmake $(doc_patterns kiosk-devices-dev)" \
  "$lib/libdevsdk.so" "$lib/libkqCR80Printer.so" "$lib/libcardpaint.so" \
  /usr/include/kiosk-devices/devsdk.h /usr/include/kiosk-devices/devlink.h \
  /usr/include/kiosk-devices/kqCR80Printer.h /usr/include/kiosk-devices/cardpaint.h \
  "$lib/pkgconfig/devsdk.pc" "$lib/pkgconfig/kqCR80Printer.pc" "$lib/pkgconfig/cardpaint.pc" \
  "$lib/cmake/KioskDevices/KioskDevicesConfig.cmake"
check_list "$sim" "/usr/bin/kiosk-sim $(doc_patterns kiosk-sim)" /usr/bin/kiosk-sim

dpkg-deb -f "$dev" Depends | grep -q "kiosk-devices (= $version)" ||
  fail "kiosk-devices-dev does not depend on kiosk-devices $version"
dpkg-deb -I "$devices" conffiles | grep -qx /etc/kiosk-devices/devhttpd.conf ||
  fail "devhttpd.conf is not a conffile"
dpkg-deb -e "$devices" "$scratch/control"
for script in postinst prerm postrm; do
  if [ -f "$scratch/control/$script" ]; then
    sh -n "$scratch/control/$script" || fail "$script of kiosk-devices does not parse"
  else
    fail "kiosk-devices has no $script"
  fi
done

echo "== apt install (simulated: dependencies resolve, nothing is installed)"
apt-get install -s -q "$devices" "$dev" "$sim" >"$scratch/apt.log" 2>&1 ||
  { cat "$scratch/apt.log" >&2; fail "apt cannot install the packages"; }

root=$scratch/root
mkdir -p "$root"
for deb in "$devices" "$dev" "$sim"; do dpkg -x "$deb" "$root"; done

echo "== sonames"
for name in devsdk kqCR80Printer cardpaint; do
  soname=$(objdump -p "$root$lib/lib$name.so" | awk '$1 == "SONAME" { print $2 }')
  [ "$soname" = "lib$name.so.1" ] || fail "lib$name.so has soname '$soname'"
  [ -e "$root$lib/$soname" ] || fail "$soname is not in kiosk-devices"
done

echo "== unit"
unit=$root/lib/systemd/system/devhttpd.service
# systemd-analyze verify loads the unit from the scratch root, which needs the
# targets it refers to: this machine's systemd units join it (ours is kept). It
# needs no running systemd; any remark it makes fails the check.
mkdir -p "$root/tmp"
cp -rn /lib/systemd/system/. "$root/lib/systemd/system/"
if ! verify=$(systemd-analyze verify --root="$root" --man=no /lib/systemd/system/devhttpd.service 2>&1) ||
  [ -n "$verify" ]; then
  echo "$verify" >&2
  fail "systemd-analyze verify rejects devhttpd.service"
fi
for line in "Restart=on-failure" "User=$user" "ProtectSystem=strict" "PrivateTmp=yes" \
  "NoNewPrivileges=yes" "ExecStart=/usr/bin/devhttpd config /etc/kiosk-devices/devhttpd.conf" \
  "ReadWritePaths=-/kqlogs/kq_server_logs -/var/log/kqlogs -/var/log/kqrfid"; do
  grep -qxF "$line" "$unit" || fail "devhttpd.service lacks $line"
done
grep -q "adduser --system --group" <(dpkg-deb -I "$devices" postinst) &&
  grep -qx "user=$user" <(dpkg-deb -I "$devices" postinst) ||
  fail "postinst does not create the system user $user"

echo "== udev rules"
rules=$root/lib/udev/rules.d/60-kiosk-devices.rules
# Debian 12's udevadm (252) has no "verify": a syntax check of our own, and
# udevadm's where it has one.
python3 "$here/check_udev_rules.py" "$rules" "$user" 5740 5741 5704 5760 || fail "udev rules"
if command -v udevadm >/dev/null && udevadm verify --help >/dev/null 2>&1; then
  udevadm verify "$rules" || fail "udevadm verify rejects the udev rules"
fi

echo "== devhttpd from the scratch root"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
(cd "$root/usr/share/kiosk-devices" &&
  exec env LD_LIBRARY_PATH="$root$lib" "$root/usr/bin/devhttpd" http_port "$port") \
  >"$scratch/devhttpd.log" 2>&1 &
pid=$!
reply=
for _ in $(seq 100); do
  if reply=$(curl -s --max-time 2 -d '{"funccode":"heart_beat"}' \
    "http://127.0.0.1:$port/api/call_method/heart_beat"); then break; fi
  sleep 0.1
done
expected='{"msg":"成功","result":0}'
[ "$reply" = "$expected" ] || { cat "$scratch/devhttpd.log" >&2; fail "heart_beat answered '$reply'"; }
index=$(curl -s --max-time 2 "http://127.0.0.1:$port/index.html" || true)
grep -q '<html' <<<"$index" || fail "the packaged document root is not served"
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || fail "devhttpd exited with status $status after SIGTERM"

echo "== host program against kiosk-devices-dev"
# pkg-config: paths inside the scratch root.
pcflags=$(PKG_CONFIG_SYSROOT_DIR=$root PKG_CONFIG_LIBDIR=$root$lib/pkgconfig \
  pkg-config --cflags --libs devsdk kqCR80Printer)
# cardpaint's Requires (Magick++) is a system package: its own paths stay outside the root.
cc -o "$scratch/host-pc" "$here/host.c" $pcflags -L"$root$lib" -lcardpaint ||
  fail "host program does not build with pkg-config"
mkdir -p "$scratch/cmake-host"
cat >"$scratch/cmake-host/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.16)
project(host C)
find_package(KioskDevices $version REQUIRED)
add_executable(host $here/host.c)
target_link_libraries(host PRIVATE KioskDevices::devsdk KioskDevices::kqCR80Printer KioskDevices::cardpaint)
CMAKE
if cmake -S "$scratch/cmake-host" -B "$scratch/cmake-host/build" -DCMAKE_PREFIX_PATH="$root/usr" >/dev/null &&
  cmake --build "$scratch/cmake-host/build" >/dev/null; then
  for host in "$scratch/host-pc" "$scratch/cmake-host/build/host"; do
    [ -x "$host" ] || continue
    out=$(LD_LIBRARY_PATH="$root$lib" "$host" | grep -v '^Register' | head -1)
    [ "$out" = "$expected" ] || fail "$(basename "$host") printed '$out'"
  done
else
  fail "find_package(KioskDevices) project does not build"
fi

if [ "$failures" -ne 0 ]; then
  echo "check-packages: $failures failure(s)" >&2
  exit 1
fi
echo "check-packages: kiosk-devices, kiosk-devices-dev and kiosk-sim $version pass"
