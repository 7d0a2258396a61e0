// The Amiga output models: per tick, steps for each channel into its resampled
// buffer, then, after mixing, the LED filter.
#include "audio/amiga_output.h"

#include "audio/audio_path.h"
#include "audio/led_filter.h"
#include "audio/paula_steps.h"

namespace varno {

namespace {

// The LED filter of the rate last asked for; recomputed only when the rate changes.
Biquad cachedLedFilter{};
uint32_t cachedLedRate = 0;

const Biquad& ledFilterFor(uint32_t rate) {
    if (rate != cachedLedRate) {
        cachedLedFilter = ledFilter(rate);
        cachedLedRate = rate;
    }
    return cachedLedFilter;
}

} // namespace

void renderAmigaChannels(AudioPath& m, int32_t model, int32_t frames) {
    AmigaOutputState& state = m.amigaOutput;
    if (state.model != model) {
        state = AmigaOutputState{};
        state.model = model;
    }
    const float* table = stepTable(model, m.sampleRate);
    for (int c = 0; c < 4; ++c)
        renderSteps(table, m.channelBuffers[c][1].get(), m.channelCounts[c][1], m.resampledBuffers[c].get(), frames,
                    state.stepLevel[c], state.stepCarry[c]);
}

void filterAmigaOutput(AudioPath& m, float* values, int32_t frames) {
    const int sides = m.outputChannels == 1 ? 1 : 2;
    applyLedFilter(ledFilterFor(m.sampleRate), m.amigaOutput.ledMemory, values, frames, sides,
                   m.slotLedFilter[1] != 0);
}

} // namespace varno
