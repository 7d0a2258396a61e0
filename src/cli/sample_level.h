// The output level: --gain, the fade-out, and saturation at full scale for
// outputs that cannot hold more (integer samples, the sound card), so a loud
// song clips instead of wrapping around.
#pragma once

#include <cstddef>
#include <cstdint>

#include "cli/time_window.h"

namespace varno::cli {

// 10^(dB/20).
float gainFactor(double db);

// Scales interleaved frames in place by gain and the plan's fade (frame
// `firstFrame` of the subsong first). With saturate, samples past full scale
// are held at +-1. Returns how many samples were past full scale.
uint64_t applyLevel(float* samples, uint32_t frames, uint32_t channels, float gain, const FramePlan& plan,
                    uint64_t firstFrame, bool saturate);

// Floats as signed 16 or 24-bit values, for files and standard output alike:
// rounded to nearest and held at full scale (+-1.0 is +-32767 in 16 bits).
void toIntegers(const float* samples, size_t count, int bits, int32_t* out);

// The same values as little-endian bytes; returns the bytes written (out holds
// count * bytesPerSample).
size_t toPcm(const float* samples, size_t count, int bits, uint8_t* out);

} // namespace varno::cli
