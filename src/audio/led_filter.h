// The Amiga's "LED" filter: a two-pole Butterworth low-pass at about 3.3 kHz on
// both outputs, switched in and out with the power LED (CIA-A port A bit 1).
#pragma once

#include <cstdint>

namespace varno {

constexpr double kLedFilterHz = 3300.0;

// A biquad's coefficients, normalised so that a0 = 1.
struct Biquad {
    double b0, b1, b2, a1, a2;
};

// The LED filter at an output rate, by the bilinear transform with the corner
// frequency prewarped, so the digital filter's gain at the corner is the
// Butterworth's 1/sqrt(2).
Biquad ledFilter(uint32_t sampleRate);

// Filters `frames` frames of `sides` interleaved values (1 or 2) in place with
// one memory pair per side. The filter runs whether it is switched in or not, so
// switching it in mid-song starts from a settled state; `on` decides which of the
// two signals is kept.
void applyLedFilter(const Biquad& filter, double (*memory)[2], float* values, int32_t frames, int sides, bool on);

} // namespace varno
