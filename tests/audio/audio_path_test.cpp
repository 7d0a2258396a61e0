// Clearing the audio path stops where ticks stopped writing: everything a tick
// of the widest length noted can have written must read zero afterwards.
#include <gtest/gtest.h>

#include "audio/audio_path.h"

namespace varno::test {
namespace {

// How far each buffer was written, as the render notes it, and the last float
// such a write reached.
struct Noted {
    int32_t frames;   // widest tick
    int32_t samples;  // most raw samples in a channel slot
    int32_t values;   // most values in an output half
    int32_t delay;    // longest surround delay line
};

struct LastWrite {
    const char* buffer;
    float* (*at)(AudioPath&, const Noted&);
};

const LastWrite kLastWrites[] = {
    {"resampled (with the step carry)", [](AudioPath& p, const Noted& n) { return &p.resampledBuffers[2][n.frames + kStepTaps - 1]; }},
    {"mix", [](AudioPath& p, const Noted& n) { return &p.mixBuffer[2 * n.frames - 1]; }},
    {"output half 0", [](AudioPath& p, const Noted& n) { return &p.outputBuffers[0][n.values - 1]; }},
    {"output half 1", [](AudioPath& p, const Noted& n) { return &p.outputBuffers[1][n.values - 1]; }},
    {"channel slot", [](AudioPath& p, const Noted& n) { return &p.channelBuffers[3][2][n.samples - 1]; }},
    {"surround delay 0", [](AudioPath& p, const Noted& n) { return &p.surroundDelay[0][n.delay - 1]; }},
    {"surround delay 1", [](AudioPath& p, const Noted& n) { return &p.surroundDelay[1][n.delay - 1]; }},
};

TEST(AudioPath, ClearingReachesTheLastValueOfTheWidestWriteNoted) {
    const Noted cases[] = {{2, 1, 4, 2}, {960, 166, 11520, 960}, {4434, 2643, 9600 + 2 * 4434, 4434},
                           {65534, 65535, kOutputHalfFloats, int32_t(kSurroundDelayFloats)}};
    for (const Noted& n : cases) {
        AudioPath path;
        // A narrower write noted after the wide one must not narrow the clearing.
        path.noteTickFrames(n.frames);
        path.noteTickFrames(2);
        path.noteSlotSamples(n.samples);
        path.noteSlotSamples(1);
        path.noteOutputValues(n.values);
        path.noteOutputValues(1);
        path.noteSurroundDelay(n.delay);
        path.noteSurroundDelay(1);
        for (const LastWrite& w : kLastWrites) *w.at(path, n) = 1.0f;
        path.clearMixBuffers();
        path.clearChannelSlots();
        path.clearSurroundDelay();
        for (const LastWrite& w : kLastWrites) EXPECT_EQ(*w.at(path, n), 0.0f) << w.buffer << ", " << n.frames << " frames";
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
