// 6-tap Lanczos (a = 3) resampling. Every rounding to a 32-bit float below is
// deliberate: it is what makes two builds produce the same samples.
#include <cmath>

#include "audio/resample.h"
#include "audio/sine.h"

namespace varno {

namespace {

constexpr double kPi32 = 3.1415927410125732;        // pi rounded to a float
constexpr double kPi32Squared = 9.869604950382893;

// Kernel value for a t already known to lie in -3..3.
inline float kernelInRange(float t) {
    if (t == 0.0f) return 1.0f;
    // Sine arguments and results are rounded to floats.
    const float a1 = float(double(t) * kPi32);
    const float a2 = float(double(t) / 3.0 * kPi32);
    const float s1 = float(kernelSine(a1));
    const float s2 = float(kernelSine(a2));
    return float((3.0 * s1 * s2) / (kPi32Squared * t * t));
}

// The block with its context: three samples of the previous block, the block,
// three of the next, and one guard sample. Fixed size, so resampling never allocates.
float scratch[kMaxSincBlock + 7];

} // namespace

float lanczosKernel(float t) {
    if (t < -3.0f || t > 3.0f) return 0.0f;
    return kernelInRange(t);
}

float sincInterpolate(const float* b, float x) {
    const int32_t k = int32_t(std::floor(double(x)));
    float acc = 0.0f;
    for (int32_t j = k - 2; j <= k + 3; ++j) {
        const float t = float(double(x) - double(j));
        // The accumulator is rounded to a float after every tap.
        acc = float(double(acc) + double(lanczosKernel(t)) * double(b[j]));
    }
    return acc;
}

void resampleSinc(int32_t prevCount, int32_t curCount, const float* cur, int32_t m, float* dst, const float* prev,
                  const float* next, int32_t nextCount) {
    if (m <= 0) return;
    if (curCount > kMaxSincBlock) curCount = kMaxSincBlock;
    const int32_t n = curCount > 0 ? curCount : 2;
    const float step = float(double(n) / double(m));

    float* w = scratch;
    for (int32_t i = 0; i < n + 7; ++i) w[i] = 0.0f;
    if (prevCount >= 3) {
        w[0] = prev[prevCount - 3];
        w[1] = prev[prevCount - 2];
        w[2] = prev[prevCount - 1];
    }
    for (int32_t i = 0; i < curCount; ++i) w[3 + i] = cur[i];
    if (nextCount >= 3) {
        w[n + 3] = next[0];
        w[n + 4] = next[1];
        w[n + 5] = next[2];
    }

    // Rounding could in principle carry the position past the block on huge
    // blocks; there the taps stop at the guard sample.
    const float last = float(n);
    float pos = 0.0f;
    for (int32_t i = 0; i < m; ++i) {
        dst[i] = sincInterpolate(w + 3, pos < last ? pos : last);
        pos = pos + step; // rounded to a float every time: the error accumulates over the block
    }
}

} // namespace varno
