#!/usr/bin/env bash
# Installs what Kestrova needs to build, test and run on Debian 12. Idempotent:
# only missing packages are installed, quietly and without starting services.
set -euo pipefail

PACKAGES=(
  # build
  g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev
  ccache clang-format clang-tidy clang-tools qt6-base-dev qt6-base-dev-tools libgl-dev qt6-qpa-plugins adwaita-icon-theme
  libsmbclient-dev libcurl4-openssl-dev libgsf-1-dev libglib2.0-dev libhyperscan-dev
  # text inside documents: zip containers, PDF
  libzip-dev libpoppler-cpp-dev
  # stored passwords in the desktop's keyring (qtkeychain loads libsecret at run time)
  qtkeychain-qt6-dev libsecret-1-0
  # test servers and independent readers
  samba smbclient python3 python3-pyftpdlib python3-openssl openssl iproute2 python3-olefile libgsf-bin
  wsdd python3-zeroconf nftables
  libole-storage-lite-perl xvfb xauth
  # a private Secret Service for the keyring test
  gnome-keyring dbus-daemon libsecret-tools
  # window screenshots (scripts/screenshot.sh)
  x11-apps imagemagick
  # peers the benchmarks compare with
  ripgrep lftp nmap fping time poppler-utils unzip bc
  # installation: man page, offline manual, icons, AppStream check, Debian package
  help2man python3-markdown librsvg2-bin appstream dpkg-dev debootstrap
  # libFuzzer targets (scripts/fuzz, the "fuzz" preset)
  clang libfuzzer-14-dev
)

missing=()
for package in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Installing ${missing[*]} needs root or sudo." >&2; exit 1; }
  SUDO="sudo"
fi

echo "Installing: ${missing[*]}"
# Keep package scripts from starting services (smbd, nmbd, ...): the tests start
# their own servers on loopback addresses.
policy=/usr/sbin/policy-rc.d
created_policy=0
if [ ! -e "$policy" ]; then
  printf '#!/bin/sh\nexit 101\n' | $SUDO tee "$policy" >/dev/null
  $SUDO chmod +x "$policy"
  created_policy=1
fi
# An if, not "test && rm": under set -e the trap's last status would become the exit status.
cleanup() { if [ "$created_policy" = 1 ]; then $SUDO rm -f "$policy"; fi; }
trap cleanup EXIT

export DEBIAN_FRONTEND=noninteractive
if ! $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/tmp/kestrova-apt.log 2>&1; then
  $SUDO apt-get update -qq >>/tmp/kestrova-apt.log 2>&1
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >>/tmp/kestrova-apt.log 2>&1 \
    || { tail -n 30 /tmp/kestrova-apt.log >&2; exit 1; }
fi
