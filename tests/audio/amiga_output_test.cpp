// The Amiga output models against analytic values: a held sine through the steps,
// the RC stage and the LED filter has the gain of a zero-order hold times the
// analog one-pole times the bilinear Butterworth; a held square wave leaves almost
// nothing at its alias frequencies.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "audio/led_filter.h"
#include "audio/paula_steps.h"
#include "audio/resample.h"

namespace varno {
namespace {

constexpr uint32_t kRate = 48000;
constexpr int32_t kFrames = 960; // one default tick
const double kTau = 2.0 * std::acos(-1.0);

enum class Mode { None, A500, A1200 };

// Ticks of n raw samples each, taken in turn from raw, onto 960 frames per tick;
// with the LED filter on when led is set.
std::vector<float> renderChannel(Mode mode, const std::vector<float>& raw, int32_t n, bool led) {
    const int32_t ticks = int32_t(raw.size()) / n;
    std::vector<float> out(size_t(ticks) * kFrames);
    std::vector<float> tick(kFrames + kStepTaps);
    float level = 0.0f;
    float carry[kStepTaps] = {};
    double memory[kLedSides][2] = {};
    const float* table = stepTable(mode == Mode::A1200 ? kInterpolationA1200 : kInterpolationA500, kRate);
    const Biquad filter = ledFilter(kRate);
    for (int32_t t = 0; t < ticks; ++t) {
        const float* block = raw.data() + size_t(t) * size_t(n);
        if (mode == Mode::None) resampleNearest(block, n, tick.data(), kFrames);
        else renderSteps(table, block, n, tick.data(), kFrames, level, carry);
        if (mode != Mode::None) applyLedFilter(filter, memory, tick.data(), kFrames, 1, led);
        std::copy(tick.begin(), tick.begin() + kFrames, out.begin() + ptrdiff_t(t) * kFrames);
    }
    return out;
}

// Amplitude of the component at f Hz (an integer) over one second from frame `from`.
double amplitudeAt(const std::vector<float>& y, size_t from, double f) {
    double re = 0, im = 0;
    for (size_t i = 0; i < kRate; ++i) {
        const double phase = kTau * f * double(i % kRate) / kRate;
        re += y[from + i] * std::cos(phase);
        im += y[from + i] * std::sin(phase);
    }
    return 2.0 * std::hypot(re, im) / kRate;
}

double onePoleGain(double f, double corner) { return 1.0 / std::sqrt(1.0 + (f / corner) * (f / corner)); }

// The bilinear transform maps f to the analog frequency tan(pi f / fs).
double ledGain(double f) {
    const double w = std::tan(kTau / 2 * f / kRate) / std::tan(kTau / 2 * kLedFilterHz / kRate);
    return 1.0 / std::sqrt(1.0 + w * w * w * w);
}

double holdGain(double f, double rawRate) {
    const double x = kTau / 2 * f / rawRate;
    return std::sin(x) / x;
}

TEST(AmigaOutput, SineGainIsHoldTimesOnePoleTimesLedFilter) {
    constexpr int32_t n = 572; // period 124 at the default tick: 28600 raw samples a second
    const double rawRate = double(n) * kRate / kFrames;
    const struct { Mode mode; bool led; double frequency; } cases[] = {
        {Mode::A500, false, 500}, {Mode::A500, false, 3300}, {Mode::A500, false, 8000},
        {Mode::A500, true, 500},  {Mode::A500, true, 3300},  {Mode::A500, true, 8000},
        {Mode::A1200, false, 500}, {Mode::A1200, false, 8000}, {Mode::A1200, false, 12000},
        {Mode::A1200, true, 3300}, {Mode::A1200, true, 8000},
    };
    for (const auto& c : cases) {
        std::vector<float> raw(size_t(n) * 75); // 1.5 s
        for (size_t i = 0; i < raw.size(); ++i) raw[i] = float(0.4 * std::sin(kTau * c.frequency * double(i) / rawRate));
        const std::vector<float> out = renderChannel(c.mode, raw, n, c.led);
        const double corner = c.mode == Mode::A500 ? kA500FilterHz : kA1200FilterHz;
        const double expected = 0.4 * holdGain(c.frequency, rawRate) * onePoleGain(c.frequency, corner) *
                                (c.led ? ledGain(c.frequency) : 1.0);
        const double measured = amplitudeAt(out, kRate / 4, c.frequency);
        EXPECT_NEAR(measured / expected, 1.0, 0.002)
            << (c.mode == Mode::A500 ? "A500 " : "A1200 ") << (c.led ? "LED on " : "LED off ") << c.frequency << " Hz";
    }
}

// A square wave of 16 held samples at 17600 Hz: 1100 Hz and its odd harmonics.
// Harmonics above 24 kHz fold back 400 or 700 Hz off the 1100 Hz grid, where
// nothing else lies; band-limited steps leave nothing there.
TEST(AmigaOutput, HeldSquareWaveDoesNotAlias) {
    constexpr int32_t n = 352;
    std::vector<float> raw(size_t(n) * 75);
    for (size_t i = 0; i < raw.size(); ++i) raw[i] = (i / 8) % 2 ? -0.4f : 0.4f;
    const struct { Mode mode; double ceilingDb; bool belowCeiling; } cases[] = {
        {Mode::A1200, -70, true},
        {Mode::A500, -70, true},
        {Mode::None, -70, false}, // drop-sample resampling aliases, so the measure can tell
    };
    for (const auto& c : cases) {
        const std::vector<float> out = renderChannel(c.mode, raw, n, false);
        double harmonics = 0, aliases = 0;
        for (double f = 1100; f < 20000; f += 2200) harmonics += std::pow(amplitudeAt(out, kRate / 4, f), 2);
        for (double f = 400; f < 20000; f += 1100) {
            aliases += std::pow(amplitudeAt(out, kRate / 4, f), 2);
            aliases += std::pow(amplitudeAt(out, kRate / 4, f + 300), 2);
        }
        const double db = 10 * std::log10(aliases / harmonics);
        EXPECT_EQ(db < c.ceilingDb, c.belowCeiling) << int(c.mode) << ": aliases at " << db << " dB";
    }
}

} // namespace
} // namespace varno
