// The stereo, mono and surround mixers. Sums are formed in double precision and
// stored as floats once, so every build gives the same output.
#include "audio/mixer.h"

#include <algorithm>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "audio/audio_path.h"
#include "audio/wide_vectors.h"

namespace varno {


namespace {

// dst[k] = S (g from[k + 1] + mix[k]) and dst[k + 1] = S (g from[k] + mix[k + 1])
// for frames (value pairs) k = 0, 2, ... below count, two frames a pass, each
// lane rounded as the scalar loops in mixSurround round it. Returns the values
// done; the scalar loops take the rest.
int32_t crossFeed(const float* from, const float* mix, float* dst, int32_t count, double g) {
    int32_t k = 0;
#if defined(__SSE2__)
    const __m128d gain = _mm_set1_pd(g);
    const __m128d scale = _mm_set1_pd(kSurroundScale);
    for (; k + 3 < count; k += 4) {
        const __m128 own = _mm_loadu_ps(mix + k);
        const __m128 loaded = _mm_loadu_ps(from + k);
        const __m128 other = _mm_shuffle_ps(loaded, loaded, _MM_SHUFFLE(2, 3, 0, 1));
        const __m128d low = _mm_mul_pd(scale, _mm_add_pd(_mm_mul_pd(gain, _mm_cvtps_pd(other)), _mm_cvtps_pd(own)));
        const __m128d high = _mm_mul_pd(scale, _mm_add_pd(_mm_mul_pd(gain, _mm_cvtps_pd(_mm_movehl_ps(other, other))),
                                                          _mm_cvtps_pd(_mm_movehl_ps(own, own))));
        _mm_storeu_ps(dst + k, _mm_movelh_ps(_mm_cvtpd_ps(low), _mm_cvtpd_ps(high)));
    }
#else
    (void)from, (void)mix, (void)dst, (void)count, (void)g;
#endif
    return k;
}

#if defined(VARNO_WIDE_VECTORS)
// crossFeed with 256-bit vectors: two frames (four values) per conversion.
VARNO_WIDE int32_t crossFeedWide(const float* from, const float* mix, float* dst, int32_t count, double g) {
    const __m256d gain = _mm256_set1_pd(g);
    const __m256d scale = _mm256_set1_pd(kSurroundScale);
    int32_t k = 0;
    for (; k + 3 < count; k += 4) {
        const __m128 loaded = _mm_loadu_ps(from + k);
        const __m256d other = _mm256_cvtps_pd(_mm_shuffle_ps(loaded, loaded, _MM_SHUFFLE(2, 3, 0, 1)));
        const __m256d own = _mm256_cvtps_pd(_mm_loadu_ps(mix + k));
        _mm_storeu_ps(dst + k, _mm256_cvtpd_ps(_mm256_mul_pd(scale, _mm256_add_pd(_mm256_mul_pd(gain, other), own))));
    }
    return k;
}

// The stereo mix with 256-bit vectors, four frames a pass, each lane rounded as
// the scalar loop rounds it. Returns the frames done; the other loops take the rest.
VARNO_WIDE int32_t mixStereoWide(const float* const (&c)[4], const double (&left)[4], const double (&right)[4],
                                 float* dst, int32_t m) {
    __m256d l[4], r[4];
    for (int k = 0; k < 4; ++k) l[k] = _mm256_set1_pd(left[k]), r[k] = _mm256_set1_pd(right[k]);
    const __m256d half = _mm256_set1_pd(0.5);
    int32_t i = 0;
    for (; i + 3 < m; i += 4) {
        const __m256d a = _mm256_cvtps_pd(_mm_loadu_ps(c[0] + i)), b = _mm256_cvtps_pd(_mm_loadu_ps(c[1] + i));
        const __m256d cc = _mm256_cvtps_pd(_mm_loadu_ps(c[2] + i)), d = _mm256_cvtps_pd(_mm_loadu_ps(c[3] + i));
        const __m256d ls = _mm256_add_pd(
            _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(a, l[0]), _mm256_mul_pd(b, l[1])), _mm256_mul_pd(cc, l[2])),
            _mm256_mul_pd(d, l[3]));
        const __m256d rs = _mm256_add_pd(
            _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(a, r[0]), _mm256_mul_pd(b, r[1])), _mm256_mul_pd(cc, r[2])),
            _mm256_mul_pd(d, r[3]));
        const __m128 lf = _mm256_cvtpd_ps(_mm256_mul_pd(half, ls));
        const __m128 rf = _mm256_cvtpd_ps(_mm256_mul_pd(half, rs));
        _mm_storeu_ps(dst + 2 * i, _mm_unpacklo_ps(lf, rf));
        _mm_storeu_ps(dst + 2 * i + 4, _mm_unpackhi_ps(lf, rf));
    }
    return i;
}
#endif

// The cross-feed of as many of the count values as the vector forms take.
int32_t crossFeedVectors(const float* from, const float* mix, float* dst, int32_t count, double g) {
#if defined(VARNO_WIDE_VECTORS)
    if (wideVectors) return crossFeedWide(from, mix, dst, count, g);
#endif
    return crossFeed(from, mix, dst, count, g);
}

} // namespace

int32_t mixStereo(const AudioPath& path, float* dst, int32_t m) {
    const float* c0 = path.resampledBuffers[0].get();
    const float* c1 = path.resampledBuffers[1].get();
    const float* c2 = path.resampledBuffers[2].get();
    const float* c3 = path.resampledBuffers[3].get();
    const auto& pan = path.channelPan;
    const double l0 = pan[0][0], l1 = pan[1][0], l2 = pan[2][0], l3 = pan[3][0];
    const double r0 = pan[0][1], r1 = pan[1][1], r2 = pan[2][1], r3 = pan[3][1];
    int32_t i = 0;
#if defined(VARNO_WIDE_VECTORS)
    if (wideVectors) i = mixStereoWide({c0, c1, c2, c3}, {l0, l1, l2, l3}, {r0, r1, r2, r3}, dst, m);
#endif
#if defined(__SSE2__)
    // Two frames a pass: the left sums of both in one register, the right in
    // another, each lane rounded as the scalar loop below rounds it.
    const auto pair = [](const float* c, int32_t k) {
        return _mm_cvtps_pd(_mm_castpd_ps(_mm_load_sd(reinterpret_cast<const double*>(c + k))));
    };
    const __m128d half = _mm_set1_pd(0.5);
    const __m128d left[4] = {_mm_set1_pd(l0), _mm_set1_pd(l1), _mm_set1_pd(l2), _mm_set1_pd(l3)};
    const __m128d right[4] = {_mm_set1_pd(r0), _mm_set1_pd(r1), _mm_set1_pd(r2), _mm_set1_pd(r3)};
    for (; i + 1 < m; i += 2) {
        const __m128d a = pair(c0, i), b = pair(c1, i), c = pair(c2, i), d = pair(c3, i);
        const __m128d l = _mm_add_pd(
            _mm_add_pd(_mm_add_pd(_mm_mul_pd(a, left[0]), _mm_mul_pd(b, left[1])), _mm_mul_pd(c, left[2])),
            _mm_mul_pd(d, left[3]));
        const __m128d r = _mm_add_pd(
            _mm_add_pd(_mm_add_pd(_mm_mul_pd(a, right[0]), _mm_mul_pd(b, right[1])), _mm_mul_pd(c, right[2])),
            _mm_mul_pd(d, right[3]));
        const __m128d ls = _mm_mul_pd(half, l), rs = _mm_mul_pd(half, r);
        _mm_storeu_ps(dst + 2 * i, _mm_movelh_ps(_mm_cvtpd_ps(_mm_unpacklo_pd(ls, rs)),
                                                  _mm_cvtpd_ps(_mm_unpackhi_pd(ls, rs))));
    }
#endif
    for (; i < m; ++i) {
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
    path.noteSurroundDelay(delay);
    path.surroundSelect = 1 - path.surroundSelect;
    const float* p = path.surroundDelay[path.surroundSelect].get();

    int32_t i = crossFeedVectors(p, mix, dst, d, g);
    for (; i + 1 < d; i += 2) {
        dst[i] = float(kSurroundScale * (g * p[i + 1] + mix[i]));
        dst[i + 1] = float(kSurroundScale * (g * p[i] + mix[i + 1]));
    }
    if (i + 1 < n) i += crossFeedVectors(mix + (i - d), mix + i, dst + i, n - i, g);
    for (; i + 1 < n; i += 2) {
        dst[i] = float(kSurroundScale * (g * mix[i - d + 1] + mix[i]));
        dst[i + 1] = float(kSurroundScale * (g * mix[i - d] + mix[i + 1]));
    }
    return n;
}

} // namespace varno
