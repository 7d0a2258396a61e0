// The audio path's buffers and its frame length.
#include "audio/audio_path.h"

#include <algorithm>
#include <cmath>

namespace varno {

AudioPath::AudioPath() {
    updateFrameSamples();
    for (auto& half : outputBuffers) half = zeroedBuffer<float>(kOutputHalfFloats);
    for (auto& channel : channelBuffers)
        for (auto& slot : channel) slot = zeroedBuffer<float>(kChannelBufferFloats);
    for (auto& buffer : resampledBuffers) buffer = zeroedBuffer<float>(kResampledFloats);
    for (auto& buffer : surroundDelay) buffer = zeroedBuffer<float>(kSurroundDelayFloats);
    mixBuffer = zeroedBuffer<float>(kMixFloats);
}

namespace {

// The first count floats of buffer (count clamped to 0 .. size) set to zero.
void clearFront(float* buffer, int64_t count, uint32_t size) {
    std::fill_n(buffer, std::clamp<int64_t>(count, 0, size), 0.0f);
}

} // namespace

void AudioPath::clearMixBuffers() {
    const int64_t frames = widestTickFrames;
    clearFront(mixBuffer.get(), 2 * frames, kMixFloats);
    for (auto& half : outputBuffers) clearFront(half.get(), widestOutputValues, kOutputHalfFloats);
    // The Amiga models write their step carries past the tick's last frame.
    for (auto& buffer : resampledBuffers) clearFront(buffer.get(), frames + kStepTaps, kResampledFloats);
    widestTickFrames = 0;
    widestOutputValues = 0;
}

void AudioPath::clearSurroundDelay() {
    for (auto& line : surroundDelay) clearFront(line.get(), widestSurroundDelay, kSurroundDelayFloats);
    widestSurroundDelay = 0;
}

void AudioPath::clearChannelSlots() {
    for (auto& channel : channelBuffers)
        for (auto& slot : channel) clearFront(slot.get(), widestSlotSamples, kChannelBufferFloats);
    widestSlotSamples = 0;
}

void AudioPath::updateFrameSamples() {
    float samples = float(sampleRate) / 1000.0f * float(framePeriodMs);
    frameSamples = uint32_t(std::lround(samples));
    if (frameSamples & 1) ++frameSamples;
}

} // namespace varno
