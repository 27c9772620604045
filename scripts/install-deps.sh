#!/usr/bin/env bash
# Installs every Debian package the Linux build, the tests and the
# benchmarks need. Run as root (or through sudo) on Debian 12 or later.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  libgtest-dev libbenchmark-dev
  libsqlite3-dev sqlite3
  libjsoncpp-dev libutfcpp-dev libcli11-dev
  libssl-dev libidn2-dev liblz4-dev libzstd-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y "${missing[@]}"
fi
