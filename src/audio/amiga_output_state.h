// The running state of the Amiga output models (interpolation 2 "Amiga 500" and
// 3 "Amiga 1200"): what each channel's band-limited steps still owe the next tick,
// and the LED filter's memory. A plain record inside the audio path, so that saving
// and restoring the machine copies it with everything else.
#pragma once

#include <cstdint>

namespace varno {

// Output frames one step of a channel reaches: the band-limiting kernel's span
// (2 x 16 frames, centred, so the models lag the other modes by 16 frames) plus
// the decay of the Amiga 500's output filter.
constexpr int32_t kStepTaps = 48;

// Output sides with an LED filter of their own (left and right; mono uses the first).
constexpr int kLedSides = 2;

struct AmigaOutputState {
    // The interpolation this state belongs to (2 or 3); 0 when it must be
    // cleared before the next tick, as after a subsong start or a mode change.
    int32_t model = 0;
    // Each channel's current output value: the last raw sample it played.
    float stepLevel[4] = {};
    // Step residuals that fall on the first kStepTaps frames of the next tick.
    float stepCarry[4][kStepTaps] = {};
    // The LED filter's two memory values per side (transposed direct form II).
    double ledMemory[kLedSides][2] = {};
};

} // namespace varno
