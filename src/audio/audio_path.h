// The audio path of the song being played: the channels' raw samples per tick
// slot, their resampled frames, the mixed output halves, the surround delay, the
// pan gains and the output format. Plain buffers, allocated once for the longest
// tick (only the pages a tick writes become resident); the mixers and
// the Amiga output models work on this record and on nothing else.
#pragma once

#include <cstdint>
#include <memory>

#include "audio/amiga_output_state.h"
#include "audio/resample.h"
#include "platform/zeroed_buffer.h"

namespace varno {

constexpr uint32_t kChannelBufferFloats = 0x40000 / 4;   // one slot of channelBuffers
constexpr uint32_t kResampledFloats = 0x100000 / 4;
constexpr uint32_t kOutputHalfFloats = 0x100000 / 4;
constexpr uint32_t kSurroundDelayFloats = 0x20000 / 4;
constexpr uint32_t kMixFloats = 0x100000 / 4;
// Until the host sets its format.
constexpr uint32_t kDefaultSampleRate = 48000;

// Largest part of a request served from one output half: a part plus the two
// longest ticks (2 x 65534 values each way) still fits the half.
constexpr int32_t kRenderPartValues = 65536;

struct AudioPath {
    ZeroedBuffer<float> channelBuffers[4][3];
    int32_t channelCounts[4][3] = {};
    int32_t slotTickSamples[3] = {};
    uint8_t slotLedFilter[3] = {};   // per slot: the power LED (and LED filter) was on for that tick
    int8_t slotSound[3] = {-1, -1, -1}; // per slot: 1 heard, 0 silent, -1 judged from the samples
    AmigaOutputState amigaOutput;    // interpolation 2 and 3: step carries and LED filter memory
    ZeroedBuffer<float> resampledBuffers[4];
    ZeroedBuffer<float> outputBuffers[2];
    int32_t outputFill[2] = {};
    int32_t outputSelect = 0;        // the output half being filled
    int32_t surroundSelect = 0;      // surround delay half written next; runs on across songs
    uint32_t sampleRate = kDefaultSampleRate;
    uint32_t outputChannels = 2;
    uint32_t framePeriodMs = 20;
    uint32_t frameSamples = 960;
    float surroundLevel = 1.0f;
    ZeroedBuffer<float> surroundDelay[2];
    ZeroedBuffer<float> mixBuffer;
    SincStatePtr sinc = createSincState();
    float channelPan[4][2] = {};

    // Every buffer, zero-filled.
    AudioPath();
    AudioPath(const AudioPath&) = delete;
    AudioPath& operator=(const AudioPath&) = delete;

    // frameSamples from sampleRate and framePeriodMs, rounded up to even.
    void updateFrameSamples();

    // What the buffers may hold since they were last cleared: the longest tick
    // mixed (frames), the most raw samples one channel slot took, the most values
    // an output half held and the longest surround delay line. Clearing stops
    // there, so the pages nothing ever wrote stay untouched; after a clear the
    // whole buffer reads zero, as when it was allocated.
    void noteTickFrames(int32_t frames) { widen(widestTickFrames, frames); }
    void noteSlotSamples(int32_t count) { widen(widestSlotSamples, count); }
    void noteOutputValues(int32_t count) { widen(widestOutputValues, count); }
    void noteSurroundDelay(int32_t count) { widen(widestSurroundDelay, count); }
    // Zeros over everything the resampled, mix and output buffers may hold.
    void clearMixBuffers();
    // Zeros over everything the channel slots may hold.
    void clearChannelSlots();
    // Zeros over everything the surround delay lines may hold.
    void clearSurroundDelay();

private:
    static void widen(int32_t& widest, int32_t count) { widest = count > widest ? count : widest; }
    int32_t widestTickFrames = 0;
    int32_t widestSlotSamples = 0;
    int32_t widestOutputValues = 0;
    int32_t widestSurroundDelay = 0;
};

} // namespace varno
