#!/usr/bin/env bash
# Installs what building and testing Varno needs on Debian 12. Safe to run again.
set -euo pipefail
packages=(
  build-essential cmake ninja-build git python3
  libgtest-dev libbenchmark-dev
  binutils-m68k-linux-gnu gcc-m68k-linux-gnu
  pkg-config libzip-dev libsndfile1-dev libcli11-dev libinih-dev zip
  # varno play: PortAudio; its test plays through a PulseAudio server of its own,
  # reached through ALSA's PulseAudio plugin (libasound2-plugins).
  portaudio19-dev pulseaudio pulseaudio-utils libasound2-plugins
  clang libclang-rt-14-dev
  openmpt123
  # The Windows plugin: the 32-bit MinGW-w64 cross compiler, and Wine with a virtual
  # X display to test it (Wine's 32-bit half needs the i386 architecture).
  g++-mingw-w64-i686 libz-mingw-w64-dev wine wine32 xvfb xauth imagemagick
)
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
update_needed=false
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  update_needed=true
fi
# node and npm run libopenmpt 0.8 from npm (chiptune3), for the formats the Debian openmpt123
# lacks. A node that brings its own npm (not Debian's) is kept: Debian's npm would conflict.
command -v node >/dev/null || packages+=(nodejs)
command -v npm >/dev/null || packages+=(npm)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  update_needed=true
fi
if $update_needed; then
  $SUDO apt-get update -qq
fi
if ((${#missing[@]})); then
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi

# libopenmpt 0.8 (WebAssembly, in the npm package chiptune3): tools/compare/mpt8_render.mjs.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
chiptune3_version=0.8.4
chiptune3="$root/build/npm/node_modules/chiptune3"
if ! grep -qs "\"version\": \"$chiptune3_version\"" "$chiptune3/package.json" ||
   [ ! -f "$chiptune3/libopenmpt.worklet.js" ]; then
  mkdir -p "$root/build/npm"
  npm install --no-audit --no-fund --prefix "$root/build/npm" "chiptune3@$chiptune3_version"
fi
