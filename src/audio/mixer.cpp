// The stereo, mono and surround mixers. Sums are formed in double precision and
// stored as floats once, so every build gives the same output.
#include "audio/mixer.h"

#include <algorithm>

#include "audio/audio_path.h"

namespace varno {


int32_t mixStereo(const AudioPath& path, float* dst, int32_t m) {
    const float* c0 = path.resampledBuffers[0].get();
    const float* c1 = path.resampledBuffers[1].get();
    const float* c2 = path.resampledBuffers[2].get();
    const float* c3 = path.resampledBuffers[3].get();
    const auto& pan = path.channelPan;
    const double l0 = pan[0][0], l1 = pan[1][0], l2 = pan[2][0], l3 = pan[3][0];
    const double r0 = pan[0][1], r1 = pan[1][1], r2 = pan[2][1], r3 = pan[3][1];
    for (int32_t i = 0; i < m; ++i) {
        const double a = c0[i], b = c1[i], c = c2[i], d = c3[i];
        dst[2 * i] = float(0.5 * (a * l0 + b * l1 + c * l2 + d * l3));
        dst[2 * i + 1] = float(0.5 * (a * r0 + b * r1 + c * r2 + d * r3));
    }
    return 2 * m;
}

int32_t mixMono(const AudioPath& path, float* dst, int32_t m) {
    const float* c0 = path.resampledBuffers[0].get();
    const float* c1 = path.resampledBuffers[1].get();
    const float* c2 = path.resampledBuffers[2].get();
    const float* c3 = path.resampledBuffers[3].get();
    for (int32_t i = 0; i < m; ++i)
        dst[i] = float(0.25 * (double(c0[i]) + double(c1[i]) + double(c2[i]) + double(c3[i])));
    return m;
}

int32_t mixSurround(AudioPath& path, float* dst, int32_t m) {
    const double g = path.surroundLevel;
    // Each side hears the other side D values (D / 2 frames) earlier; the delay
    // line holds the last D values of the previous call.
    const int32_t delay = int32_t(std::min<uint32_t>(path.frameSamples, kSurroundDelayFloats));
    const float* mix = path.mixBuffer.get();
    const int32_t n = mixStereo(path, path.mixBuffer.get(), m);
    const int32_t d = std::min(n, delay);

    // When the tick is shorter than the delay, this saves values that earlier
    // ticks left behind mix[n - 1] as well.
    std::copy(mix + (n - d), mix + (n - d) + delay, path.surroundDelay[path.surroundSelect].get());
    path.surroundSelect = 1 - path.surroundSelect;
    const float* p = path.surroundDelay[path.surroundSelect].get();

    int32_t i = 0;
    for (; i + 1 < d; i += 2) {
        dst[i] = float(kSurroundScale * (g * p[i + 1] + mix[i]));
        dst[i + 1] = float(kSurroundScale * (g * p[i] + mix[i + 1]));
    }
    for (; i + 1 < n; i += 2) {
        dst[i] = float(kSurroundScale * (g * mix[i - d + 1] + mix[i]));
        dst[i + 1] = float(kSurroundScale * (g * mix[i - d] + mix[i + 1]));
    }
    return n;
}

} // namespace varno
