// The audio path of the song being played: the channels' raw samples per tick
// slot, their resampled frames, the mixed output halves, the surround delay, the
// pan gains and the output format. Plain buffers, allocated once; the mixers and
// the Amiga output models work on this record and on nothing else.
#pragma once

#include <cstdint>
#include <memory>

#include "audio/amiga_output_state.h"

namespace varno {

constexpr uint32_t kChannelBufferFloats = 0x40000 / 4;   // one slot of channelBuffers
constexpr uint32_t kResampledFloats = 0x100000 / 4;
constexpr uint32_t kOutputHalfFloats = 0x100000 / 4;
constexpr uint32_t kSurroundDelayFloats = 0x20000 / 4;
constexpr uint32_t kMixFloats = 0x100000 / 4;

struct AudioPath {
    std::unique_ptr<float[]> channelBuffers[4][3];
    int32_t channelCounts[4][3] = {};
    int32_t slotTickSamples[3] = {};
    uint8_t slotLedFilter[3] = {};   // per slot: the power LED (and LED filter) was on for that tick
    int8_t slotSound[3] = {-1, -1, -1}; // per slot: 1 heard, 0 silent, -1 judged from the samples
    AmigaOutputState amigaOutput;    // interpolation 2 and 3: step carries and LED filter memory
    std::unique_ptr<float[]> resampledBuffers[4];
    std::unique_ptr<float[]> outputBuffers[2];
    int32_t outputFill[2] = {};
    int32_t outputSelect = 0;        // the output half being filled
    int32_t surroundSelect = 0;      // surround delay half written next; runs on across songs
    uint32_t sampleRate = 48000;
    uint32_t outputChannels = 2;
    uint32_t framePeriodMs = 20;
    uint32_t frameSamples = 960;
    float surroundLevel = 1.0f;
    std::unique_ptr<float[]> surroundDelay[2];
    std::unique_ptr<float[]> mixBuffer;
    float channelPan[4][2] = {};

    // Every buffer, zero-filled.
    AudioPath();
    AudioPath(const AudioPath&) = delete;
    AudioPath& operator=(const AudioPath&) = delete;

    // frameSamples from sampleRate and framePeriodMs, rounded up to even.
    void updateFrameSamples();
};

} // namespace varno
