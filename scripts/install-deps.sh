#!/usr/bin/env bash
# Installs, by Debian package name, everything Quillon needs to build, run its demo and test.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-base-private-dev libgl-dev qtkeychain-qt6-dev
  libcurl4-openssl-dev libsqlite3-dev sqlite3 libcpp-httplib-dev libssl-dev openssl
  libgtest-dev libgmock-dev libbenchmark-dev libxcb1-dev libxcb-damage0-dev
  clang-14 libclang-rt-14-dev clang-format
  xvfb xauth xdotool imagemagick x11-utils fonts-dejavu-core
  procps curl ca-certificates ccache python3
  desktop-file-utils dpkg-dev systemd util-linux strace
  scdoc gzip man-db lintian appstream
  dbus-daemon dbus-bin gnome-keyring libsecret-tools python3-dbus
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
