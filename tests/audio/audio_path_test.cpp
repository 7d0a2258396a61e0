// Clearing the audio path stops where ticks stopped writing: everything a tick
// of the widest length noted can have written must read zero afterwards.
#include <gtest/gtest.h>

#include "audio/audio_path.h"

namespace varno::test {
namespace {

struct LastWrite {
    const char* buffer;
    float* (*at)(AudioPath&, int32_t frames, int32_t samples); // the last float a tick can write
};

const LastWrite kLastWrites[] = {
    {"resampled (with the step carry)", [](AudioPath& p, int32_t f, int32_t) { return &p.resampledBuffers[2][f + kStepTaps - 1]; }},
    {"mix", [](AudioPath& p, int32_t f, int32_t) { return &p.mixBuffer[2 * f - 1]; }},
    {"output half 0", [](AudioPath& p, int32_t f, int32_t) { return &p.outputBuffers[0][kRenderPartValues - 2 + 2 * f]; }},
    {"output half 1", [](AudioPath& p, int32_t f, int32_t) { return &p.outputBuffers[1][kRenderPartValues - 2 + 2 * f]; }},
    {"channel slot", [](AudioPath& p, int32_t, int32_t s) { return &p.channelBuffers[3][2][s - 1]; }},
};

TEST(AudioPath, ClearingReachesTheLastValueOfTheWidestTickNoted) {
    for (const int32_t frames : {2, 960, 4434, 65534}) {
        for (const int32_t samples : {1, 2643, 65535}) {
            AudioPath path;
            // A narrower tick noted after the wide one must not narrow the clearing.
            path.noteTickFrames(frames);
            path.noteTickFrames(2);
            path.noteSlotSamples(samples);
            path.noteSlotSamples(1);
            for (const LastWrite& w : kLastWrites) *w.at(path, frames, samples) = 1.0f;
            path.clearMixBuffers();
            path.clearChannelSlots();
            for (const LastWrite& w : kLastWrites)
                EXPECT_EQ(*w.at(path, frames, samples), 0.0f) << w.buffer << ", " << frames << " frames, " << samples << " samples";
        }
    }
}

TEST(AudioPath, AClearForgetsTheTicksBeforeIt) {
    AudioPath path;
    path.noteTickFrames(4434);
    path.clearMixBuffers();
    path.noteTickFrames(960);
    // Only a write of the 960-frame tick can be there now; one past it is never cleared.
    path.mixBuffer[2 * 960 - 1] = 1.0f;
    path.mixBuffer[2 * 960] = 2.0f;
    path.clearMixBuffers();
    EXPECT_EQ(path.mixBuffer[2 * 960 - 1], 0.0f);
    EXPECT_EQ(path.mixBuffer[2 * 960], 2.0f);
}

} // namespace
} // namespace varno::test
