#!/usr/bin/env bash
# One test of the Windows plugin, named by the first argument: the cross-built
# XMP-VARNO.dll and the test host varno-xmphost.exe run under Wine on a virtual X
# display, next to the Linux twin of the test host. ctest passes the folders in the
# environment (tests/windows/CMakeLists.txt). Exit 77 means skipped.
set -euo pipefail
case=$1
bin=$VARNO_WINDOWS_BIN
players=$VARNO_TEST_PLAYERS
work=$VARNO_WINDOWS_WORK/$case

fail() { echo "FAIL: $*"; exit 1; }

# Windows programs get a display of their own for each run.
on_display() { xvfb-run -a -s "-screen 0 1024x768x24" "$@"; }

# A test module: the four-letter magic, a title, zeros to 128 bytes.
module() {
  python3 -c 'import sys; d = bytearray(128); d[0:4] = sys.argv[1].encode(); t = sys.argv[2].encode()[:12]
d[4:4 + len(t)] = t; open(sys.argv[3], "wb").write(d)' "$1" "$2" "$3"
}

# A folder as XMPlay's would be: the plugin with the test players beside it, the
# test host, and the Linux twin (which looks for the players beside itself).
# The player archive is the test players' unless one is given.
prepare() {
  local archive=${1:-$players}
  [ -f "$archive" ] || { echo "no player archive $archive (the test players need the m68k tools)"; exit 77; }
  rm -rf "$work"
  mkdir -p "$work"
  cp "$bin/XMP-VARNO.dll" "$bin/varno-xmphost.exe" "$work/"
  cp "$archive" "$work/xmp-varno.dat"
  cp "$VARNO_LINUX_HOST" "$work/varno-xmphost"
  cd "$work"
}

# Runs the Windows test host; its output is kept in $1.out with Unix line ends.
windows_host() {
  local name=$1; shift
  local status=0
  on_display wine varno-xmphost.exe "$@" > "$name.raw-out" 2> "$name.err" || status=$?
  tr -d '\r' < "$name.raw-out" > "$name.out"
  cat "$name.out"
  return $status
}

# The same module and settings on both builds give the same samples, byte for byte,
# and the same report of the plugin's answers.
render_both() {
  local name=$1 interpolation=$2 file=$3 subsong=$4
  local settings=(--set "VARNO/interpolation=$interpolation")
  ./varno-xmphost "${settings[@]}" render "$file" "$name-linux.raw" 96000 "$subsong" > "$name-linux.out" ||
    fail "$name: the Linux host failed: $(cat "$name-linux.out")"
  windows_host "$name-windows" "${settings[@]}" render "$file" "$name-windows.raw" 96000 "$subsong" > /dev/null ||
    fail "$name: the Windows host failed: $(cat "$name-windows.out" "$name-windows.err")"
  diff -u "$name-linux.out" "$name-windows.out" || fail "$name: the two builds answer differently"
  [ -s "$name-linux.raw" ] || fail "$name: no samples"
  cmp "$name-linux.raw" "$name-windows.raw" || fail "$name: the samples differ"
  local size
  size=$(stat -c %s "$name-windows.raw")
  # The command line, with the same settings spelled out, starts with the same samples
  # (cut at three seconds, or at the song's end if sooner).
  local names=(none sinc a500 a1200)
  "$VARNO_COMMAND" --players xmp-varno.dat render "$file" -o - --subsong $((subsong + 1)) \
    --interpolation "${names[$interpolation]}" --separation 75 --surround on --songend on --time 3 > "$name-command.raw" ||
    fail "$name: varno render failed"
  [ "$(stat -c %s "$name-command.raw")" -ge "$size" ] || fail "$name: varno render gave fewer samples"
  cmp -n "$size" "$name-command.raw" "$name-windows.raw" || fail "$name: varno render's samples differ"
  echo "$name: $((size / 8)) frames bit-identical on Windows, in the Linux test host and in varno render" \
    "($(head -1 "$name-linux.out"))"
}

screenshot() {
  convert "$1" "$VARNO_SCREENSHOTS/$2" || fail "cannot convert $1"
  echo "screenshot: $VARNO_SCREENSHOTS/$2"
}

case $case in
prefix)
  rm -rf "$WINEPREFIX"
  wineboot -i > /dev/null 2>&1 || true
  # Xvfb has no window manager: Wine then draws the frames and captions itself, so
  # that they show in the screenshots.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f > /dev/null 2>&1
  wineserver -w
  [ -f "$WINEPREFIX/system.reg" ] || fail "wineboot made no prefix in $WINEPREFIX"
  ;;
exports)
  dll=$bin/XMP-VARNO.dll
  mkdir -p "$VARNO_WINDOWS_WORK"
  i686-w64-mingw32-objdump -p "$dll" > "$VARNO_WINDOWS_WORK/objdump.txt"
  grep -q "^Magic.*010b" "$VARNO_WINDOWS_WORK/objdump.txt" || fail "not a 32-bit library"
  names=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' "$VARNO_WINDOWS_WORK/objdump.txt" | grep -E '^[[:space:]]*\[ *[0-9]+\]' || true)
  echo "exports: $names"
  [ "$(echo "$names" | sed 's/^[[:space:]]*//')" = "[   0] XMPIN_GetInterface" ] || fail "the one export must be XMPIN_GetInterface"
  # Nothing beside the library but Windows itself.
  for import in $(awk '/DLL Name:/ {print toupper($3)}' "$VARNO_WINDOWS_WORK/objdump.txt"); do
    case $import in
    KERNEL32.DLL | USER32.DLL | GDI32.DLL | COMCTL32.DLL | MSVCRT.DLL | ADVAPI32.DLL) echo "imports $import" ;;
    *) fail "the plugin needs $import" ;;
    esac
  done
  python3 - "$dll" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
fixed = data.find(struct.pack("<I", 0xFEEF04BD))
if fixed < 0: sys.exit("FAIL: no version resource")
file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<4I", data, fixed + 8)
if (file_ms, file_ls, product_ms, product_ls) != (0, 0x9000A, 0, 0x9000A):
    sys.exit("FAIL: version numbers %x %x %x %x" % (file_ms, file_ls, product_ms, product_ls))
for key, value in [("FileDescription", "XMPlay Varno plugin"), ("ProductName", "XMPlay Varno plugin"),
                   ("FileVersion", "0.0.9.10"), ("ProductVersion", "rev.9.10")]:
    at = data.find(key.encode("utf-16-le"))
    if at < 0 or data.find(value.encode("utf-16-le"), at, at + 200) < 0:
        sys.exit("FAIL: version resource %s is not %s" % (key, value))
print("version resource 0.0.9.10, rev.9.10, XMPlay Varno plugin")
PY
  ;;
interface)
  prepare
  windows_host interface interface || fail "see above"
  ;;
render_none)
  prepare
  module VTS1 "tone" tone.vts1
  render_both tone-none 0 tone.vts1 1
  ;;
render_sinc)
  prepare
  module VTS1 "tone" tone.vts1
  render_both tone-sinc 1 tone.vts1 1
  ;;
render_amiga)
  # The Amiga 500 and 1200 models, with the LED filter switched off and on by the player.
  prepare
  module VTS9 "filter" filter.vts9
  render_both filter-a500 2 filter.vts9 0
  render_both filter-a1200 3 filter.vts9 0
  ;;
render_subsongs)
  # A timer the player sets itself, a vertical-blank server, and audio interrupts.
  prepare
  module VTS1 "tone" tone.vts1
  module VTS3 "vblank" vblank.vts3
  module VTS5 "audioint" audio.vts5
  render_both timer-sinc 1 tone.vts1 2
  render_both vblank-sinc 1 vblank.vts3 0
  render_both audio-none 0 audio.vts5 0
  ;;
render_modules)
  # Real modules with the default players, when the build has them.
  prepare "$VARNO_DEFAULT_PLAYERS"
  shopt -s nullglob
  modules=("$VARNO_SHARED_DIR"/modules/*.mod)
  ((${#modules[@]})) || { echo "no sample modules in $VARNO_SHARED_DIR/modules"; exit 77; }
  for path in "${modules[@]:0:3}"; do
    cp "$path" .
    file=$(basename "$path")
    ./varno-xmphost render "$file" /dev/null 1 > /dev/null 2>&1 || { echo "$file: not playable, left out"; continue; }
    render_both "${file%.mod}-none" 0 "$file" 0
    render_both "${file%.mod}-sinc" 1 "$file" 0
    render_both "${file%.mod}-a500" 2 "$file" 0
  done
  ;;
config)
  prepare
  module VTS1 "tone" tone.vts1
  mkdir -p shots
  windows_host config --settings settings.ini --set VARNO/surround=0 config tone.vts1 shots ||
    fail "see above $(cat config.err)"
  # Written by a Windows program: CR LF line ends.
  tr -d '\r' < settings.ini > stored.txt
  echo "stored: $(tr '\n' ' ' < stored.txt)"
  grep -qx "VARNO/default_playtime=0" stored.txt || fail "a play time of 0 was not stored"
  screenshot shots/varno-config.bmp varno-config.png
  ;;
about)
  prepare
  mkdir -p shots
  windows_host about about shots || fail "see above $(cat about.err)"
  screenshot shots/varno-about.bmp varno-about.png
  ;;
fault)
  prepare
  module VTBI "illegal" illegal.vtbi
  module VTS1 "tone" tone.vts1
  windows_host fault fault illegal.vtbi tone.vts1 || fail "see above $(cat fault.err)"
  ;;
*)
  fail "no test $case"
  ;;
esac
