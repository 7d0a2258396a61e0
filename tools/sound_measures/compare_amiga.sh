#!/usr/bin/env bash
# Our output modes beside openmpt123's on the sample modules: each song rendered
# with our None, Amiga 500 and Amiga 1200 modes and with openmpt123's plain
# resampler and its Amiga emulation (A500, A1200), all at 48000 Hz in float and at
# full stereo separation without surround. Prints a Markdown table: per song and
# mode, the share of energy above 5 kHz for ours and for openmpt123, and the
# correlation of the two renders' loudness envelopes (RMS per 20 ms, at the best
# alignment).
#
#   tools/sound_measures/compare_amiga.sh [MODULE...]
#
# BUILD names the build folder (default build), OUT the folder for the renders
# (default a fresh temporary one). Needs openmpt123 and the default player archive.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD:-$root/build}
out=${OUT:-$(mktemp -d)}
varno=$build/bin/varno
measures=$build/tools/varno-sound-measures
[ -x "$varno" ] && [ -x "$measures" ] || { echo "build varno and varno-sound-measures first" >&2; exit 1; }
command -v openmpt123 >/dev/null || { echo "openmpt123 is not installed" >&2; exit 1; }
if (($# == 0)); then set -- "$root"/../shared/modules/*.mod; fi

declare -A reference=([none]=plain [a500]=a500 [a1200]=a1200)
echo "| song | mode | ours > 5 kHz % | openmpt123 > 5 kHz % | envelope correlation |"
echo "|---|---|---|---|---|"
for module in "$@"; do
  song=$(basename "${module%.*}")
  # openmpt123 writes its render beside the module, so it works on a copy.
  cp "$module" "$out/$song.mod"
  for mode in none a500 a1200; do
    ref=${reference[$mode]}
    case $ref in
      plain) ctl=(--ctl render.resampler.emulate_amiga=0) ;;
      *) ctl=(--ctl render.resampler.emulate_amiga=1 --ctl render.resampler.emulate_amiga_type="$ref") ;;
    esac
    openmpt123 -q --render --force --samplerate 48000 --float "${ctl[@]}" "$out/$song.mod" >/dev/null
    mv "$out/$song.mod.wav" "$out/$song-openmpt-$ref.wav"
    "$varno" render "$module" --force --interpolation "$mode" --bits float --rate 48000 --surround off --separation 100 --time 240 \
      -o "$out/$song-varno-$mode.wav" >/dev/null
    # Reference line first, then ours: seconds, share above 5 kHz, correlation.
    mapfile -t lines < <("$measures" "$out/$song-openmpt-$ref.wav" "$out/$song-varno-$mode.wav")
    IFS=$'\t' read -r _ _ refShare _ <<<"${lines[0]}"
    IFS=$'\t' read -r _ _ ourShare correlation <<<"${lines[1]}"
    echo "| $song | $mode | $ourShare | $refShare ($ref) | $correlation |"
  done
done
