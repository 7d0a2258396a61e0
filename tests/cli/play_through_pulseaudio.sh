#!/usr/bin/env bash
# varno play for real, with no sound card: a PulseAudio server of the test's own
# with a null sink, the sink's monitor recorded with parec while varno plays a
# song, and the recording compared with varno render of the same stretch.
# Exits 77 (skipped) when PulseAudio cannot start here.
# Then the keys, on a terminal of its own: up for the next subsong, n for the
# next song, q to quit long before the songs' end (drive_keys.py).
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
# In a sanitizer build: ALSA's PulseAudio plugin leaves memory behind and is
# unloaded before the leak check, so its leaks cannot be told from varno's by
# name; leaks are checked by the render and info tests, not here.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null; wait "$p" 2>/dev/null; done; }
trap cleanup EXIT
# Run as root a per-user server warns and goes on; -n skips the desktop's default
# modules, so it needs no sound card, no D-Bus and no session.
# Played in real time: on a busy machine (a parallel test run) the server and the
# player get a larger share of the processor where the user may give it.
fast=""
nice -n -10 true 2>/dev/null && fast="nice -n -10"
$fast pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disallow-exit --log-target=stderr \
  --load="module-null-sink sink_name=varno_test rate=48000 channels=2 format=float32le" \
  --load="module-native-protocol-unix socket=$work/run/native auth-anonymous=1" \
  >"$work/pulseaudio.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl info >/dev/null 2>&1 || skip "PulseAudio did not start: $(tail -n 3 "$work/pulseaudio.log")"
pactl set-default-sink varno_test >/dev/null 2>&1

# One recording, compared with the render; a busy machine may still starve the
# sound now and then (a gap lengthens the recording), so up to three tries.
record_and_compare() {
  $fast parec -d varno_test.monitor --format=float32le --rate=48000 --channels=2 --raw "$work/recorded.f32" &
  local recorder=$!
  # Playing starts once the recorder is taking the sink's (silent) sound.
  for _ in $(seq 100); do
    [ "$(stat -c %s "$work/recorded.f32" 2>/dev/null || echo 0)" -gt 76800 ] && break
    sleep 0.05
  done
  # Standard input from /dev/null: a start without keys, as from a script.
  if ! $fast "$varno" play "$module" --duration "$seconds" </dev/null >"$work/play.out" 2>"$work/play.err"; then
    echo "varno play failed:"; cat "$work/play.err"; kill $recorder; exit 1
  fi
  grep -q "^Playing " "$work/play.err" || { echo "no line about what is playing:"; cat "$work/play.err"; exit 1; }
  sleep 0.5
  kill $recorder; wait $recorder 2>/dev/null
  "$python" "$(dirname "$0")/compare_recording.py" "$work/recorded.f32" "$work/rendered.f32"
}
"$varno" render "$module" --duration "$seconds" -o - --bits float >"$work/rendered.f32" || exit 1
ok=false
for try in 1 2 3; do
  if record_and_compare; then ok=true; break; fi
done
$ok || exit 1

[ -n "$second" ] || exit 0
$fast "$python" "$(dirname "$0")/drive_keys.py" "$varno" "$second" "$module"
