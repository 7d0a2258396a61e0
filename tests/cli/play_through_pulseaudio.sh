#!/usr/bin/env bash
# varno play for real, with no sound card: a PulseAudio server of the test's own
# with a null sink, the sink's monitor recorded with parec while varno plays a
# song, and the recording compared with varno render of the same stretch.
# Exits 77 (skipped) when PulseAudio cannot start here.
# Then the keys, on a terminal of its own (script): up for the next subsong, n for
# the next song, q to quit long before the songs' end.
#   play_through_pulseaudio.sh VARNO MODULE WORKDIR [PYTHON] [SECOND_MODULE]
set -u
varno=$1 module=$2 work=$3 python=${4:-python3} second=${5:-}
seconds=6
skip() { echo "skipped: $*"; exit 77; }
command -v pulseaudio >/dev/null && command -v parec >/dev/null && command -v pactl >/dev/null ||
  skip "pulseaudio and pulseaudio-utils are not installed"

rm -rf "$work" && mkdir -p "$work/run" "$work/home" "$work/config" || exit 1
chmod 700 "$work/run"
# Everything private: the server's socket, its state, and the client's idea of
# where the server is, so a desktop's own server is never touched.
export XDG_RUNTIME_DIR=$work/run HOME=$work/home XDG_CONFIG_HOME=$work/config
export PULSE_RUNTIME_PATH=$work/run/pulse PULSE_SERVER=unix:$work/run/native PULSE_COOKIE=$work/run/cookie
# In a sanitizer build the sound libraries' own leftovers are not varno's leaks.
export LSAN_OPTIONS="suppressions=$(dirname "$0")/sound_libraries.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null; wait "$p" 2>/dev/null; done; }
trap cleanup EXIT
# Run as root a per-user server warns and goes on; -n skips the desktop's default
# modules, so it needs no sound card, no D-Bus and no session.
pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disallow-exit --log-target=stderr \
  --load="module-null-sink sink_name=varno_test rate=48000 channels=2 format=float32le" \
  --load="module-native-protocol-unix socket=$work/run/native auth-anonymous=1" \
  >"$work/pulseaudio.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl info >/dev/null 2>&1 || skip "PulseAudio did not start: $(tail -n 3 "$work/pulseaudio.log")"
pactl set-default-sink varno_test >/dev/null 2>&1

parec -d varno_test.monitor --format=float32le --rate=48000 --channels=2 --raw "$work/recorded.f32" &
pids+=($!)
sleep 0.5
# Standard input from /dev/null: a pipe-like start without keys.
if ! "$varno" play "$module" --duration "$seconds" </dev/null >"$work/play.out" 2>"$work/play.err"; then
  echo "varno play failed:"; cat "$work/play.err"; exit 1
fi
grep -q "^Playing " "$work/play.err" || { echo "no line about what is playing:"; cat "$work/play.err"; exit 1; }
sleep 0.5
kill "${pids[1]}"; wait "${pids[1]}" 2>/dev/null
"$varno" render "$module" --duration "$seconds" -o - --bits float >"$work/rendered.f32" || exit 1
"$python" "$(dirname "$0")/compare_recording.py" "$work/recorded.f32" "$work/rendered.f32" || exit 1

[ -n "$second" ] && command -v script >/dev/null || exit 0
start=$(date +%s)
(sleep 1; printf '\033[A'; sleep 1; printf 'n'; sleep 1.5; printf 'q'; sleep 0.5) |
  script -qec "'$varno' play '$second' '$module'" /dev/null >"$work/typescript"
status=$? elapsed=$(($(date +%s) - start))
# The status line's file and subsong, each change once.
tr '\r' '\n' <"$work/typescript" | sed 's/\x1b\[K//g' | awk 'NF { print $2, $3, $4 }' | uniq >"$work/status"
expected="$(basename "$second") subsong 1/4
$(basename "$second") subsong 2/4
$(basename "$module") 0:00 /"
if [ "$status" -ne 0 ] || [ "$elapsed" -gt 20 ] || [ "$(cat "$work/status")" != "$expected" ]; then
  echo "keys: exit $status after $elapsed s; the status line went"; cat "$work/status"; echo "instead of"; echo "$expected"
  exit 1
fi
echo "keys: up, n and q acted in $elapsed s"
