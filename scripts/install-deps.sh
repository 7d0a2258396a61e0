#!/usr/bin/env bash
# Installs what building and testing Varno needs on Debian 12. Safe to run again.
set -euo pipefail
packages=(
  build-essential cmake ninja-build git python3
  libgtest-dev libbenchmark-dev
  binutils-m68k-linux-gnu gcc-m68k-linux-gnu
  pkg-config libzip-dev libsndfile1-dev libcli11-dev libinih-dev zip
  clang libclang-rt-14-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
