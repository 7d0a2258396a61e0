// Drop-sample resampling in 17.15 fixed point.
#include "audio/resample.h"

namespace varno {

void resampleNearest(const float* src, int32_t n, float* dst, int32_t m) {
    if (n <= 0) {
        for (int32_t i = 0; i < m; ++i) dst[i] = 0.0f;
        return;
    }
    if (m <= 0) return;
    // Truncated, so step * (m - 1) < n << 15 and no read passes the block's end.
    const uint32_t step = (uint32_t(n) << 15) / uint32_t(m);
    uint32_t acc = 0;
    int32_t j = 0;
    for (; j + 1 < m; j += 2) {
        dst[j] = src[acc >> 15];
        acc += step;
        dst[j + 1] = src[acc >> 15];
        acc += step;
    }
    if (j < m) dst[j] = src[acc >> 15]; // m is even in practice; an odd one still stays in bounds
}

} // namespace varno
