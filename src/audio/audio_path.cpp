// The audio path's buffers and its frame length.
#include "audio/audio_path.h"

#include <cmath>

namespace varno {

namespace {
std::unique_ptr<float[]> zeroedFloats(uint32_t count) { return std::unique_ptr<float[]>(new float[count]()); }
} // namespace

AudioPath::AudioPath() {
    updateFrameSamples();
    for (auto& half : outputBuffers) half = zeroedFloats(kOutputHalfFloats);
    for (auto& channel : channelBuffers)
        for (auto& slot : channel) slot = zeroedFloats(kChannelBufferFloats);
    for (auto& buffer : resampledBuffers) buffer = zeroedFloats(kResampledFloats);
    for (auto& buffer : surroundDelay) buffer = zeroedFloats(kSurroundDelayFloats);
    mixBuffer = zeroedFloats(kMixFloats);
}

void AudioPath::updateFrameSamples() {
    float samples = float(sampleRate) / 1000.0f * float(framePeriodMs);
    frameSamples = uint32_t(std::lround(samples));
    if (frameSamples & 1) ++frameSamples;
}

} // namespace varno
