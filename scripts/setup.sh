#!/usr/bin/env bash
# Installs the Debian packages that building, testing, formatting, screenshots and the Debian
# package need.
# Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-private-dev libxcb1-dev libgl-dev libsystemd-dev libssl-dev libb2-dev zlib1g-dev coreutils
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  fonts-dejavu-core fonts-liberation
  xvfb xauth xfonts-base imagemagick x11-apps
  rhash strace
  dpkg-dev file lintian desktop-file-utils appstream x11-utils
  fuse3 python3-fusepy dbus python3-dbus python3-dbusmock python3-gi libglib2.0-bin
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
