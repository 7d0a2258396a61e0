#!/usr/bin/env bash
# Speed of Varno beside openmpt123 on the same songs, measured in the same run:
#  - lengths: `varno info --no-cache` measuring every subsong's length (its time less that of
#    `varno info --no-lengths`) against `openmpt123 --info`;
#  - rendering: each song whole at 48000 Hz stereo, None and Sinc, against
#    openmpt123 with --filter 1 and with its default 8-tap filter;
#  - the peak memory of `varno render` on the largest song, None and Sinc.
# Figures are multiples of real time (song time / processor time, user and system,
# so that other work on the machine does not count), and in the last two columns
# Varno's multiple over openmpt123's.
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

# The least processor time of several runs (VARNO_SPEED_RUNS, default 5): other
# work on the machine only ever adds to a run's time.
runs=${VARNO_SPEED_RUNS:-5}
# Measured by the shell, to the millisecond (/usr/bin/time rounds to 10 ms).
TIMEFORMAT='%3U %3S'
seconds() {
  for ((run = 0; run < runs; ++run)); do
    { time "$@" > /dev/null 2>&1; } 2>&1 | awk '{ print $1 + $2 }'
  done | sort -g | head -1
}
# The four renders of a song, taken in turn round after round so that a busy
# spell of the machine falls on all of them alike; the least time of each.
render_times() {
  local run
  for ((run = 0; run < runs; ++run)); do
    for command in "$varno render $1 --time 0 --bits float -o -" \
                   "openmpt123 --batch --quiet --stdout --samplerate 48000 --channels 2 --filter 1 $1" \
                   "$varno render $1 --time 0 --interpolation sinc --bits float -o -" \
                   "openmpt123 --batch --quiet --stdout --samplerate 48000 --channels 2 $1"; do
      # shellcheck disable=SC2086 # the words of the command, split on purpose
      { time $command > /dev/null 2>&1; } 2>&1 | awk '{ printf "%s ", $1 + $2 }'
    done
    echo
  done | awk '{ for (i = 1; i <= 4; ++i) if (NR == 1 || $i < m[i]) m[i] = $i }
              END { print m[1], m[2], m[3], m[4] }'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b <= 0) b = 0.001; printf "%.0fx", a / b }'; }
# Varno's multiple of real time over openmpt123's: song seconds per processor second each.
relative() {
  awk -v l="$1" -v t="$2" -v ml="$3" -v mt="$4" 'BEGIN { if (t <= 0) t = 0.001; if (mt <= 0) mt = 0.001; printf "%.2fx", (l / t) / (ml / mt) }'
}
# Length of subsong 1 as Varno measures it, in seconds.
song_length() {
  "$varno" info --no-cache --time 0 "$1" | awk '/^  Subsong 1 / { split($3, t, ":"); print t[1] * 60 + t[2]; exit }'
}

printf "%-16s %8s | %10s %10s | %10s %10s %10s %10s | %8s %8s\n" song length "varno len" "mpt --info" \
  "none" "mpt -f1" "sinc" "mpt -f8" "none/f1" "sinc/f8"
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
  read -r none mpt1 sinc mpt8 < <(render_times "$song")
  printf "%-16s %7.1fs | %10s %10s | %10s %10s %10s %10s | %8s %8s\n" "$(basename "$song")" "$length" \
    "$(ratio "$total" "$scan")" "$(ratio "$(awk -v l="$mptlength" 'BEGIN { print 10 * l }')" "$info")" "$(ratio "$length" "$none")" \
    "$(ratio "$mptlength" "$mpt1")" "$(ratio "$length" "$sinc")" "$(ratio "$mptlength" "$mpt8")" \
    "$(relative "$length" "$none" "$mptlength" "$mpt1")" "$(relative "$length" "$sinc" "$mptlength" "$mpt8")"
done

largest=$(ls -S "${songs[@]}" | head -1)
for interpolation in none sinc; do
  peak=$(/usr/bin/time -f %M "$varno" render "$largest" --time 0 --interpolation $interpolation --bits float -o - \
           2>&1 >/dev/null | tail -1)
  awk -v p="$peak" -v s="$(basename "$largest")" -v i="$interpolation" \
    'BEGIN { printf "peak memory of varno render on %s (%s): %.1f MiB\n", s, i, p / 1024 }'
done

# As a user times it: whole processes writing WAV files, every song in turn, the
# processor time of all of them summed (start-up, file writing and all), twice
# over in this one run: `varno render` beside `openmpt123 --render`, None against
# its --filter 1 and Sinc against its default filter.
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
user_total() {
  local total=0 song t
  for song in "${songs[@]}"; do
    # shellcheck disable=SC2086 # the words of the command, split on purpose
    t=$( { time $1 "$song" "$out/$(basename "$song")" > /dev/null 2>&1; } 2>&1 | awk '{ print $1 + $2 }')
    total=$(awk -v a="$total" -v b="$t" 'BEGIN { print a + b }')
  done
  echo "$total"
}
varno_none() { "$varno" render "$1" -o "$2.wav" --force --rate 48000 --interpolation none; }
varno_sinc() { "$varno" render "$1" -o "$2.wav" --force --rate 48000 --interpolation sinc; }
mpt_f1() { cp "$1" "$2" && openmpt123 --render --force --subsong 0 --samplerate 48000 --filter 1 "$2"; }
mpt_f8() { cp "$1" "$2" && openmpt123 --render --force --subsong 0 --samplerate 48000 "$2"; }
printf "\nwhole renders, processor seconds over %d songs: varno none / openmpt -f1, varno sinc / openmpt default\n" \
  "${#songs[@]}"
for round in 1 2; do
  vn=$(user_total varno_none); m1=$(user_total mpt_f1); vs=$(user_total varno_sinc); m8=$(user_total mpt_f8)
  awk -v r="$round" -v vn="$vn" -v m1="$m1" -v vs="$vs" -v m8="$m8" 'BEGIN {
    printf "round %d: none %.2fs vs %.2fs (%.2fx openmpt123'\''s speed), sinc %.2fs vs %.2fs (%.2fx)\n",
      r, vn, m1, m1 / vn, vs, m8, m8 / vs }'
done
