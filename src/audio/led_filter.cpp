// The LED filter in double precision; each output value is rounded to a float
// once, so every build gives the same samples.
#include "audio/led_filter.h"

#include <cmath>

#include "audio/portable_math.h"

namespace varno {

namespace {

constexpr double kSqrt2 = 1.4142135623730951; // 1 / Q of a two-pole Butterworth
// Memory values this small are cleared after each call so that silence never
// decays into denormal numbers, which are slow.
constexpr double kNegligible = 1e-30;

} // namespace

Biquad ledFilter(uint32_t sampleRate) {
    const double rate = sampleRate ? double(sampleRate) : 48000.0;
    // A corner at or above Nyquist cannot be prewarped; such rates keep it just below.
    const double corner = std::fmin(kLedFilterHz, 0.45 * rate);
    const double k = portableTan(kPi * corner / rate);
    const double kk = k * k;
    const double norm = 1.0 / (1.0 + kSqrt2 * k + kk);
    const double b0 = kk * norm;
    return Biquad{b0, 2.0 * b0, b0, 2.0 * (kk - 1.0) * norm, (1.0 - kSqrt2 * k + kk) * norm};
}

void applyLedFilter(const Biquad& f, double (*memory)[2], float* values, int32_t frames, int sides, bool on) {
    for (int s = 0; s < sides; ++s) {
        double s1 = memory[s][0];
        double s2 = memory[s][1];
        float* v = values + s;
        for (int32_t i = 0; i < frames; ++i) {
            const double x = v[i * sides];
            const double y = f.b0 * x + s1;
            s1 = f.b1 * x - f.a1 * y + s2;
            s2 = f.b2 * x - f.a2 * y;
            if (on) v[i * sides] = float(y);
        }
        memory[s][0] = std::fabs(s1) < kNegligible ? 0.0 : s1;
        memory[s][1] = std::fabs(s2) < kNegligible ? 0.0 : s2;
    }
}

} // namespace varno
