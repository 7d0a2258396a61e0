// Band-limited steps from a table. The table is the step response of a
// Kaiser-windowed sinc low-pass (linear phase, centred kHalfSpan frames after the
// step) followed by the model's RC low-pass, computed once with portable
// arithmetic so that every build fills it with the same floats.
#include "audio/paula_steps.h"

#include <algorithm>
#include <cmath>

#include "audio/portable_math.h"

namespace varno {

namespace {

constexpr int32_t kHalfSpan = 16;       // frames on either side of the sinc's centre
constexpr double kCutoff = 0.45;        // of the output rate: passes 18 kHz at 48 kHz, stops at Nyquist
constexpr double kKaiserBeta = 7.0;     // about 70 dB of alias rejection
constexpr int32_t kPoints = kStepTaps * kStepPhases + 1;
constexpr int32_t kRows = kStepPhases + 1;
// Residuals this small are dropped so that decaying tails never turn denormal.
constexpr double kNegligible = 1e-20;

// The band limit's impulse response at u frames after the step.
double bandLimitAt(double u) {
    const double x = (u - kHalfSpan) / kHalfSpan; // -1 .. 1 over the window
    if (x <= -1.0 || x >= 1.0) return 0.0;
    const double window = besselI0(kKaiserBeta * std::sqrt(1.0 - x * x)) / besselI0(kKaiserBeta);
    const double y = 2.0 * kCutoff * (u - kHalfSpan);
    const double sinc = y == 0.0 ? 1.0 : kernelSine(kPi * y) / (kPi * y);
    return 2.0 * kCutoff * sinc * window;
}

void buildTable(float* table, double filterHz, uint32_t sampleRate) {
    static double response[kPoints]; // scratch, kept static so that building never allocates
    const double dt = 1.0 / kStepPhases;

    // Integrating the impulse response (trapezoids) gives the band-limited step.
    double previous = bandLimitAt(0.0);
    response[0] = 0.0;
    for (int32_t k = 1; k < kPoints; ++k) {
        const double h = bandLimitAt(k * dt);
        response[k] = response[k - 1] + (previous + h) * (dt / 2.0);
        previous = h;
    }
    // Unit gain at DC: the step settles at exactly 1 before the RC stage.
    const double settled = response[2 * kHalfSpan * kStepPhases];
    for (int32_t k = 0; k < kPoints; ++k) response[k] = k < 2 * kHalfSpan * kStepPhases ? response[k] / settled : 1.0;

    // The RC stage, solved exactly for input that is linear between grid points.
    const double w = 2.0 * kPi * filterHz / double(sampleRate) * dt;
    const double a = portableExp(-w);
    const double b0 = 1.0 - (1.0 - a) / w;
    const double b1 = (1.0 - a) / w - a;
    double y = 0.0;
    double input = response[0];
    for (int32_t k = 1; k < kPoints; ++k) {
        const double x = response[k];
        y = a * y + b0 * x + b1 * input;
        input = x;
        response[k] = y;
    }

    for (int32_t p = 0; p < kRows; ++p)
        for (int32_t k = 0; k < kStepTaps; ++k) {
            const double r = response[k * kStepPhases + p] - 1.0;
            table[p * kStepTaps + k] = float(std::fabs(r) < kNegligible ? 0.0 : r);
        }
}

float cachedTable[kRows * kStepTaps];
int32_t cachedModel = -1;
uint32_t cachedRate = 0;

} // namespace

const float* stepTable(int32_t model, uint32_t sampleRate) {
    const int32_t key = model == kInterpolationA1200 ? kInterpolationA1200 : kInterpolationA500;
    if (key != cachedModel || sampleRate != cachedRate) {
        const uint32_t rate = sampleRate ? sampleRate : 48000;
        buildTable(cachedTable, key == kInterpolationA1200 ? kA1200FilterHz : kA500FilterHz, rate);
        cachedModel = key;
        cachedRate = sampleRate;
    }
    return cachedTable;
}

void renderSteps(const float* table, const float* cur, int32_t n, float* dst, int32_t m, float& level,
                 float* carry) {
    if (m <= 0) return;
    std::copy(carry, carry + kStepTaps, dst);
    std::fill(dst + kStepTaps, dst + m + kStepTaps, 0.0f);

    // Sample i starts at frame i m / n = q + r / n, tracked exactly in integers.
    // Its step first shows on frame q + 1, at kernel phase (n - r) / n.
    static constexpr float kSilence[1] = {0.0f};
    const float* src = n > 0 ? cur : kSilence;
    const int32_t count = n > 0 ? n : 1;
    const int32_t divisor = n > 0 ? n : 1;
    float held = level;
    int32_t q = 0, r = 0, emitted = 0;
    for (int32_t i = 0; i < count; ++i) {
        const float delta = src[i] - held;
        if (delta != 0.0f) {
            const int32_t first = q + 1;
            // The frames before the step are complete: add the value held over them.
            for (; emitted < first && emitted < m; ++emitted) dst[emitted] += held;
            held = src[i];
            const int32_t phase = ((divisor - r) * 2 * kStepPhases + divisor) / (2 * divisor);
            const float* row = table + phase * kStepTaps;
            float* out = dst + first;
            for (int32_t k = 0; k < kStepTaps; ++k) out[k] += delta * row[k];
        }
        r += m;
        q += r / divisor;
        r %= divisor;
    }
    for (; emitted < m; ++emitted) dst[emitted] += held;
    level = held;
    std::copy(dst + m, dst + m + kStepTaps, carry);
}

} // namespace varno
