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

// Little-endian signed 16 or 24-bit samples from floats, saturated; returns the bytes written
// (out holds count * bytesPerSample).
size_t toPcm(const float* samples, size_t count, int bits, uint8_t* out);

} // namespace varno::cli
