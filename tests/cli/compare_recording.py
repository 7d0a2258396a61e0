#!/usr/bin/env python3
"""Compares a recording of varno play with varno render of the same stretch.

Both are raw 32-bit float stereo at 48 kHz. The recording has silence before
and after the song; the sound in it must last as long as the render (within
0.5 s) and follow the render's loudness envelope (correlation at least 0.95 at
the best alignment). Exit status 0 when it does, 1 otherwise."""
import array
import math
import sys

RATE = 48000
WINDOW = 480  # 10 ms
SMOOTH = 5  # windows: the envelope is compared over 50 ms
MAX_LAG = 50  # windows: the recording may start up to 0.5 s early or late
SILENCE = 1e-4


def envelope(path):
    samples = array.array("f")
    with open(path, "rb") as f:
        samples.frombytes(f.read())
    frames = len(samples) // 2
    env = []
    for start in range(0, frames - WINDOW + 1, WINDOW):
        chunk = samples[2 * start:2 * (start + WINDOW)]
        env.append(math.sqrt(sum(v * v for v in chunk) / len(chunk)))
    return env


def smoothed(env):
    return [sum(env[i:i + SMOOTH]) / SMOOTH for i in range(len(env) - SMOOTH + 1)]


def sounding_span(env):
    loud = [i for i, v in enumerate(env) if v > SILENCE]
    return (loud[0], loud[-1] + 1) if loud else (0, 0)


def correlation(a, b):
    n = min(len(a), len(b))
    a, b = a[:n], b[:n]
    ma, mb = sum(a) / n, sum(b) / n
    cov = sum((x - ma) * (y - mb) for x, y in zip(a, b))
    va = sum((x - ma) ** 2 for x in a)
    vb = sum((y - mb) ** 2 for y in b)
    return cov / math.sqrt(va * vb) if va > 0 and vb > 0 else 0.0


def main():
    recorded, rendered = envelope(sys.argv[1]), envelope(sys.argv[2])
    r0, r1 = sounding_span(recorded)
    s0, s1 = sounding_span(rendered)
    if r1 == r0:
        print("the recording is silent")
        return 1
    recorded_seconds = (r1 - r0) * WINDOW / RATE
    rendered_seconds = (s1 - s0) * WINDOW / RATE
    # The best alignment near the start of the sound.
    a, b = smoothed(recorded[r0:r1]), smoothed(rendered[s0:s1])
    best = max(correlation(a[lag:], b) if lag >= 0 else correlation(a, b[-lag:]) for lag in range(-MAX_LAG, MAX_LAG + 1))
    print(f"sound {recorded_seconds:.2f} s recorded, {rendered_seconds:.2f} s rendered; envelope correlation {best:.3f}")
    ok = abs(recorded_seconds - rendered_seconds) <= 0.5 and best >= 0.95
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
