#!/usr/bin/env bash
# Makes the Windows release: cross-builds XMP-VARNO.dll with MinGW-w64 and packs it
# with the player archive and an install note into build/windows-release/ and
# build/xmp-varno-windows.zip.
#   scripts/build-windows.sh [PLAYER_ARCHIVE]
# Without an argument the archive is the Linux build's default player archive
# (build/release/bin/xmp-varno.dat), made first if it is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

archive=${1:-}
if [ -z "$archive" ]; then
  archive=build/release/bin/xmp-varno.dat
  if [ ! -f "$archive" ]; then
    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
    cmake --build build/release -j"$(nproc)" --target m68k_programs
  fi
  # Until the default players are built, the test players stand in.
  [ -f "$archive" ] || archive=build/release/m68k/tests/players/xmp-varno.dat
fi
[ -f "$archive" ] || { echo "no player archive: $archive" >&2; exit 1; }

# The folder and options of the test suite's own cross build, so that either reuses
# the other's work.
cross=build/release/windows
cmake -S . -B "$cross" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release \
  -DVARNO_WERROR=ON -DVARNO_TESTS=OFF -DVARNO_BENCH=OFF -DVARNO_M68K=OFF > /dev/null
cmake --build "$cross" -j"$(nproc)" --target xmp_varno

release=build/windows-release
rm -rf "$release" build/xmp-varno-windows.zip
mkdir -p "$release"
cp "$cross/bin/XMP-VARNO.dll" "$release/"
cp "$archive" "$release/xmp-varno.dat"
cat > "$release/INSTALL.txt" <<'TEXT'
Varno, an XMPlay input plugin for Amiga music (rev. 9)

Copy XMP-VARNO.dll and xmp-varno.dat into XMPlay's folder (or its plugin
folder), keeping the two files side by side, and restart XMPlay. XMPlay's
ZIP support must be present: the players are read from xmp-varno.dat.
The plugin recognises modules by their content; its settings are under
Options > Plugins > Input > Varno.
TEXT
sed -i 's/$/\r/' "$release/INSTALL.txt"
(cd "$release" && zip -q -X ../xmp-varno-windows.zip XMP-VARNO.dll xmp-varno.dat INSTALL.txt)
ls -l "$release" build/xmp-varno-windows.zip
