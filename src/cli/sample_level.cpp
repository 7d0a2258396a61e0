#include "cli/sample_level.h"

#include <cmath>

namespace varno::cli {

float gainFactor(double db) { return float(std::pow(10.0, db / 20.0)); }

uint64_t applyLevel(float* samples, uint32_t frames, uint32_t channels, float gain, const FramePlan& plan,
                    uint64_t firstFrame, bool saturate) {
    uint64_t over = 0;
    const bool fading = plan.fadeFrames > 0;
    if (!fading) {
        // One gain for every value: a flat loop the compiler turns into vector code.
        const size_t count = size_t(frames) * channels;
        // No branch in the body: each value past full scale counts one.
        uint64_t past = 0;
        if (saturate) {
            for (size_t i = 0; i < count; ++i) {
                const float v = samples[i] * gain;
                past += uint64_t(std::fabs(v) > 1.0f);
                const float high = v > 1.0f ? 1.0f : v;
                samples[i] = high < -1.0f ? -1.0f : high;
            }
        } else {
            for (size_t i = 0; i < count; ++i) {
                const float v = samples[i] * gain;
                past += uint64_t(std::fabs(v) > 1.0f);
                samples[i] = v;
            }
        }
        return past;
    }
    for (uint32_t f = 0; f < frames; ++f) {
        const float g = gain * fadeGain(plan, firstFrame + f);
        float* frame = samples + size_t(f) * channels;
        for (uint32_t c = 0; c < channels; ++c) {
            float v = frame[c] * g;
            if (v > 1.0f || v < -1.0f) {
                ++over;
                if (saturate) v = v > 0 ? 1.0f : -1.0f;
            }
            frame[c] = v;
        }
    }
    return over;
}

namespace {

// To nearest, halves away from zero, held within the format's range. A float
// times the scale is exact in a double, and so is adding the half.
inline int32_t rounded(float sample, double scale) {
    double v = double(sample) * scale;
    v = v > scale ? scale : v < -scale - 1 ? -scale - 1 : v;
    return int32_t(v + (v < 0 ? -0.5 : 0.5));
}

double fullScale(int bits) { return bits == 24 ? 8388607.0 : 32767.0; }

} // namespace

void toIntegers(const float* samples, size_t count, int bits, int32_t* out) {
    const double scale = fullScale(bits);
    for (size_t i = 0; i < count; ++i) out[i] = rounded(samples[i], scale);
}

size_t toPcm(const float* samples, size_t count, int bits, uint8_t* out) {
    const double scale = fullScale(bits);
    const int bytes = bits == 24 ? 3 : 2;
    for (size_t i = 0; i < count; ++i) {
        const auto word = uint32_t(rounded(samples[i], scale));
        for (int b = 0; b < bytes; ++b) *out++ = uint8_t(word >> (8 * b));
    }
    return count * size_t(bytes);
}

} // namespace varno::cli
