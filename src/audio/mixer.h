// Mixing the four resampled channels of a tick into output frames: stereo with
// the pan gains, mono, or stereo with the surround cross-feed.
#pragma once

#include <cstdint>

namespace varno {

struct AudioPath;

// 0.7 rounded to a float: keeps the cross-fed sum in range.
constexpr double kSurroundScale = 0.699999988079071;

// Frame i of the four resampledBuffers, i = 0 .. m - 1, into dst; each returns
// the number of values written (2m, m, 2m).
int32_t mixStereo(const AudioPath& path, float* dst, int32_t m);
int32_t mixMono(const AudioPath& path, float* dst, int32_t m);
int32_t mixSurround(AudioPath& path, float* dst, int32_t m);

} // namespace varno
