#!/usr/bin/env bash
# Speed of Varno beside openmpt123 on the same songs, measured in the same run:
#  - lengths: `varno info --no-cache` measuring every subsong's length (its time less that of
#    `varno info --no-lengths`) against `openmpt123 --info`;
#  - rendering: each song whole at 48000 Hz stereo, None and Sinc, against
#    openmpt123 with --filter 1 and with its default 8-tap filter;
#  - the peak memory of `varno render` on the largest song.
# Figures are multiples of real time (song time / processor time, user and system,
# so that other work on the machine does not count).
# Usage: bench/song_speed.sh [build folder] [songs...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
shift || true
songs=("$@")
((${#songs[@]})) || songs=(../shared/modules/*.mod)
varno=$build/bin/varno
command -v openmpt123 > /dev/null || { echo "openmpt123 is not installed (apt-get install openmpt123)"; exit 1; }
[ -x "$varno" ] || { echo "no $varno: build first"; exit 1; }

seconds() { /usr/bin/time -f "%U %S" "$@" 2>&1 >/dev/null | tail -1 | awk '{ print $1 + $2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b <= 0) b = 0.001; printf "%.0fx", a / b }'; }
# Length of subsong 1 as Varno measures it, in seconds.
song_length() {
  "$varno" info --no-cache --time 0 "$1" | awk '/^  Subsong 1 / { split($3, t, ":"); print t[1] * 60 + t[2]; exit }'
}

printf "%-16s %8s | %10s %10s | %10s %10s %10s %10s\n" song length "varno len" "mpt --info" \
  "none" "mpt -f1" "sinc" "mpt -f8"
for song in "${songs[@]}"; do
  length=$(song_length "$song")
  # Ten times over, so that the measuring stands out from the start-up.
  ten=("$song" "$song" "$song" "$song" "$song" "$song" "$song" "$song" "$song" "$song")
  with=$(seconds "$varno" info --no-cache --time 0 "${ten[@]}")
  without=$(seconds "$varno" info --no-lengths "${ten[@]}")
  scan=$(awk -v a="$with" -v b="$without" 'BEGIN { d = a - b; print (d > 0 ? d : 0.001) }')
  # Every subsong is measured: the multiple counts all of them.
  total=$("$varno" info --no-cache --time 0 "$song" | awk '/^  Subsong [0-9]/ { split($3, t, ":"); s += 10 * (t[1] * 60 + t[2]) } END { print s }')
  info=$(seconds openmpt123 --info "${ten[@]}")
  # openmpt123 plays all subsongs one after the other: its own duration counts for it.
  mptlength=$(openmpt123 --info "$song" 2>&1 | awk '/^Duration/ { split($2, t, ":"); print t[1] * 60 + t[2] }')
  none=$(seconds "$varno" render "$song" --time 0 --bits float -o -)
  sinc=$(seconds "$varno" render "$song" --time 0 --interpolation sinc --bits float -o -)
  mpt1=$(seconds openmpt123 --batch --quiet --stdout --samplerate 48000 --channels 2 --filter 1 "$song")
  mpt8=$(seconds openmpt123 --batch --quiet --stdout --samplerate 48000 --channels 2 "$song")
  printf "%-16s %7.1fs | %10s %10s | %10s %10s %10s %10s\n" "$(basename "$song")" "$length" \
    "$(ratio "$total" "$scan")" "$(ratio "$(awk -v l="$mptlength" 'BEGIN { print 10 * l }')" "$info")" "$(ratio "$length" "$none")" \
    "$(ratio "$mptlength" "$mpt1")" "$(ratio "$length" "$sinc")" "$(ratio "$mptlength" "$mpt8")"
done

largest=$(ls -S "${songs[@]}" | head -1)
peak=$(/usr/bin/time -f %M "$varno" render "$largest" --time 0 --bits float -o - 2>&1 >/dev/null | tail -1)
echo "peak memory of varno render on $(basename "$largest"): $((peak / 1024)) MB"
