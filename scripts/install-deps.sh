#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the program and the tests need. Run as root (or with sudo).
set -euo pipefail
PKGS=(
  build-essential g++ clang cmake ninja-build pkg-config git
  libgtest-dev libgmock-dev googletest libbenchmark-dev libclang-rt-14-dev
  libgsf-1-dev libxml2-dev libxslt1-dev libcurl4-openssl-dev
  libwxgtk3.2-dev libwxgtk-webview3.2-dev libudev-dev libsane-dev libcups2-dev libnotify-dev
  xvfb xauth locales
  # The upload tests make a certificate for their HTTPS service.
  openssl
  # The desktop entry and the MIME type of flock files, checked by the tests.
  desktop-file-utils shared-mime-info
  # Automation over D-Bus: GDBus, and the bus and the Python bindings that the tests drive it with.
  libglib2.0-dev dbus-daemon dbus-bin python3 python3-dbus
  # Every locale precompiled: date tests format and parse in en_GB, en_US and de_DE.
  locales-all
  # Scanners through SANE; libsane1 carries the `test` backend the picture tests scan from.
  libsane1
)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
echo "Installing: ${missing[*]}"
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
