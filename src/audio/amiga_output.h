// The Amiga output models in the render loop: the channels as band-limited steps
// through the model's output filter, and the LED filter on the mixed output.
#pragma once

#include <cstdint>

namespace varno {

struct AudioPath;

// Renders slot 1 of the four channels into resampledBuffers for the model (2 or
// 3), frames each. Clears the model's state first when it belongs to no or
// another model.
void renderAmigaChannels(AudioPath& path, int32_t model, int32_t frames);

// The LED filter over `frames` mixed frames at values, switched as the heard
// tick (slot 1) left the power LED.
void filterAmigaOutput(AudioPath& path, float* values, int32_t frames);

} // namespace varno
