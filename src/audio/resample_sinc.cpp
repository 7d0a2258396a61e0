// 6-tap Lanczos (a = 3) resampling. Every rounding to a 32-bit float below is
// deliberate: it is what makes two builds produce the same samples.
#include <cmath>
#include <cstdlib>
#include <new>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "audio/resample.h"
#include "audio/sine.h"
#include "audio/wide_vectors.h"

namespace varno {

namespace {

constexpr double kPi32 = 3.1415927410125732;        // pi rounded to a float
constexpr double kPi32Squared = 9.869604950382893;

// Kernel value for a t already known to lie in -3..3.
inline float kernelInRange(float t) {
    if (t == 0.0f) return 1.0f;
    // Sine arguments and results are rounded to floats.
    const float a1 = float(double(t) * kPi32);
    const float a2 = float(double(t) / 3.0 * kPi32);
    const float s1 = float(kernelSine(a1));
    const float s2 = float(kernelSine(a2));
    return float((3.0 * s1 * s2) / (kPi32Squared * t * t));
}

constexpr int32_t kScratch = kMaxSincBlock + 8;

} // namespace

float lanczosKernel(float t) {
    if (t < -3.0f || t > 3.0f) return 0.0f;
    return kernelInRange(t);
}

namespace {

// The six tap weights for position x, taps at floor(x) - 2 .. floor(x) + 3.
// Returns floor(x).
int32_t tapWeights(float x, float weights[6]) {
    // floor without a library call; x is never negative in practice.
    int32_t k = int32_t(x);
    if (float(k) > x) --k;
    // The taps are evaluated side by side so that the compiler can keep two of
    // them in flight per vector instruction; each value is rounded exactly as
    // lanczosKernel rounds it. Rounded values live in float arrays, and x - j
    // is one float subtraction (j is exact in a float): GCC 12's vectorizer
    // was seen to use double(x) - j unrounded on some lanes when it was
    // written as float(double(x) - j).
    float t[6];
    float args[12];
    for (int i = 0; i < 6; ++i) {
        t[i] = x - float(k - 2 + i);
        args[i] = float(double(t[i]) * kPi32);
        args[6 + i] = float(double(t[i]) / 3.0 * kPi32);
    }
    float sines[12];
    for (int i = 0; i < 12; ++i) sines[i] = float(kernelSine(double(args[i])));
    for (int i = 0; i < 6; ++i) {
        const double tt = double(t[i]);
        const double denominator = t[i] == 0.0f ? 1.0 : kPi32Squared * tt * tt;
        const float w = float((3.0 * double(sines[i]) * double(sines[6 + i])) / denominator);
        weights[i] = t[i] == 0.0f ? 1.0f : w;
    }
    return k;
}

// Each product of two floats is exact in a double, so the sum rounds once to a
// double and then to a float, whatever the compiler does with the product.
template <typename Sample, typename Weight>
float applyWeights(const Sample* b, int32_t k, const Weight* weights, int stride = 1) {
    float acc = 0.0f;
    for (int i = 0; i < 6; ++i) {
        // The accumulator is rounded to a float after every tap.
        acc = float(double(acc) + double(weights[i * stride]) * double(b[k - 2 + i]));
    }
    return acc;
}

} // namespace

// The positions of a block depend only on its length n and the output length
// m, and most ticks repeat the n and m of an earlier one (a note held at one
// period). A plan keeps the tap weights of every output of one (n, m), so a
// repeated block costs six multiply-adds per output instead of twelve sines.
// Plans give exactly the values a fresh evaluation gives.
// A channel alternates between two block lengths (the tick's Paula cycles do not
// divide evenly by the period), so each held note takes two plans, and vibrato
// and slides visit dozens of lengths that come back as the song repeats: the
// shared songs use 23 to 154 (n, m) pairs. Sixty-four plans hold nearly all of
// them. A plan is touched only as far as its m reaches (about 30 KB at 48000 Hz),
// so the unused length costs no resident memory.
constexpr int32_t kPlanFrames = 4608;  // longest tick at 48000 Hz is 4434 frames
constexpr int kPlans = 64;

struct SincPlan {
    // Empty until first used (the state is allocated zeroed): no block has a
    // length of 0, an empty one plays as two samples.
    int32_t n;
    int32_t m;
    uint32_t lastUse;
    int32_t first[kPlanFrames];
    // Per pair of outputs 2p and 2p + 1: the entry of pairedScratch that holds
    // their first taps, or -1 when their taps lie further apart.
    int32_t pairedTaps[kPlanFrames / 2];
    // weights[i / 4][j][i % 4]: tap j of outputs i .. i + 3 side by side, so
    // that one load serves a pair or four outputs.
    alignas(16) float weights[kPlanFrames / 4][6][4];

    const float* weightsOf(int32_t i) const { return &weights[i / 4][0][i % 4]; }
    // Tap j of outputs i and i + 1 (i even), or of i .. i + 3 (i a multiple of 4).
    const float* pairWeights(int32_t i, int j) const { return &weights[i / 4][j][i % 4]; }
};

struct SincState {
    void* allocation;  // where the state lies, aligned within it
    uint32_t planClock;
    SincPlan plans[kPlans];
    // The block with its context: three samples of the previous block, the
    // block, three of the next, and two guard samples, as doubles (exactly the
    // floats they were) so that no tap converts its sample again.
    double scratch[kScratch];
    // The same samples laid out for two neighbouring outputs at once: in the
    // first half, entry k holds sample k twice (both outputs' taps start at one
    // sample); in the second, samples k and k + 1 (the second output's taps
    // start one sample later). Upsampling, every pair of neighbouring outputs is
    // one or the other, so both outputs' taps come in one aligned load.
    alignas(32) double pairedScratch[2 * kScratch][2];
};

namespace {

// Output positions: pos advances by step, rounded to a float after every
// addition, so the rounding error accumulates over the block. Rounding could
// in principle carry it past a huge block; there the taps stop at the guard.
template <typename Visit>
void forEachPosition(int32_t n, int32_t m, Visit visit) {
    const float step = float(double(n) / double(m));
    const float last = float(n);
    float pos = 0.0f;
    for (int32_t i = 0; i < m; ++i) {
        visit(i, pos < last ? pos : last);
        pos = pos + step;
    }
}

// The weights of every output of a plan.
void fillWeights(SincPlan& plan) {
    forEachPosition(plan.n, plan.m, [&](int32_t i, float x) {
        float w[6];
        plan.first[i] = tapWeights(x, w);
        for (int j = 0; j < 6; ++j) plan.weights[i / 4][j][i % 4] = w[j];
    });
}

const SincPlan* planFor(SincState& state, int32_t n, int32_t m) {
    if (m > kPlanFrames) return nullptr;
    const uint32_t now = ++state.planClock;
    SincPlan* oldest = &state.plans[0];
    for (SincPlan& plan : state.plans) {
        if (plan.n == n && plan.m == m) {
            plan.lastUse = now;
            return &plan;
        }
        if (plan.lastUse < oldest->lastUse) oldest = &plan;
    }
    SincPlan& plan = *oldest;
    plan.n = n;
    plan.m = m;
    plan.lastUse = now;
    fillWeights(plan);
    for (int32_t i = 0; i + 1 < m; i += 2) {
        // Tap 0 of output i is b[first - 2], entry first + 1 of the scratch.
        const int32_t apart = plan.first[i + 1] - plan.first[i];
        plan.pairedTaps[i / 2] = apart == 0 || apart == 1 ? apart * kScratch + plan.first[i] + 1 : -1;
    }
    return &plan;
}

#if defined(__SSE2__)
// One tap of a pair of outputs: the products are exact, each sum is rounded to
// a double and then to a float, lane by lane, as applyWeights rounds.
inline __m128d addTap(__m128d acc, const float* weights, __m128d taps) {
    const __m128d pair = _mm_cvtps_pd(_mm_castpd_ps(_mm_load_sd(reinterpret_cast<const double*>(weights))));
    const __m128d sum = _mm_add_pd(acc, _mm_mul_pd(pair, taps));
    return _mm_cvtps_pd(_mm_cvtpd_ps(sum));
}

// Outputs i and i + 1 at once, their taps gathered one by one.
inline __m128d applyPair(const SincPlan& plan, const double* b, int32_t i) {
    const double* b0 = b + plan.first[i] - 2;
    const double* b1 = b + plan.first[i + 1] - 2;
    __m128d acc = _mm_setzero_pd();
    for (int j = 0; j < 6; ++j) acc = addTap(acc, plan.pairWeights(i, j), _mm_loadh_pd(_mm_load_sd(b0 + j), b1 + j));
    return acc;
}

// Four pairs of outputs whose taps the paired scratch holds side by side. Each
// output's six taps form a chain of roundings; four chains side by side keep
// the processor busy while each waits for its last rounding.
constexpr int kPairsInFlight = 4;

using PairedTaps = const double (*)[2];

inline void applyPairedPairs(const SincPlan& plan, PairedTaps paired, int32_t i, float* dst) {
    const int32_t pair = i / 2;
    __m128d acc[kPairsInFlight];
    for (auto& a : acc) a = _mm_setzero_pd();
    for (int j = 0; j < 6; ++j)
        for (int p = 0; p < kPairsInFlight; ++p)
            acc[p] = addTap(acc[p], plan.pairWeights(i + 2 * p, j),
                            _mm_load_pd(paired[plan.pairedTaps[pair + p] + j]));
    for (int p = 0; p < kPairsInFlight; p += 2)
        _mm_storeu_ps(dst + i + 2 * p, _mm_movelh_ps(_mm_cvtpd_ps(acc[p]), _mm_cvtpd_ps(acc[p + 1])));
}
#endif

#if defined(__SSE2__)
// Outputs i .. i + 2 kPairsInFlight - 1.
inline void applyGroup(const SincPlan& plan, PairedTaps paired, const double* b, int32_t i, float* dst) {
    const int32_t* first = &plan.pairedTaps[i / 2];
    if ((first[0] | first[1] | first[2] | first[3]) >= 0) {
        applyPairedPairs(plan, paired, i, dst);
        return;
    }
    for (int p = 0; p < kPairsInFlight; p += 2) {
        const __m128d a = applyPair(plan, b, i + 2 * p);
        const __m128d c = applyPair(plan, b, i + 2 * p + 2);
        _mm_storeu_ps(dst + i + 2 * p, _mm_movelh_ps(_mm_cvtpd_ps(a), _mm_cvtpd_ps(c)));
    }
}
#endif

// Outputs from..m - 1.
inline void applyPlanFrom(const SincPlan& plan, PairedTaps paired, const double* b, int32_t from, int32_t m,
                          float* dst) {
    int32_t i = from;
#if defined(__SSE2__)
    for (; i + 2 * kPairsInFlight <= m; i += 2 * kPairsInFlight) applyGroup(plan, paired, b, i, dst);
#else
    (void)paired;
#endif
    for (; i < m; ++i) dst[i] = applyWeights(b, plan.first[i], plan.weightsOf(i), 4);
}

#if defined(VARNO_WIDE_VECTORS)
// With 256-bit vectors, two pairs share a register and each conversion rounds
// four outputs: sixteen outputs a pass in four chains.
VARNO_WIDE inline __m256d bothHalves(const double* low, const double* high) {
    return _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_load_pd(low)), _mm_load_pd(high), 1);
}

VARNO_WIDE void applyPlanWide(const SincPlan& plan, PairedTaps paired, const double* b, int32_t m, float* dst) {
    constexpr int kChains = 4;
    int32_t i = 0;
    for (; i + 4 * kChains <= m; i += 4 * kChains) {
        const int32_t pair = i / 2;
        int32_t any = 0;
        for (int p = 0; p < 2 * kChains; ++p) any |= plan.pairedTaps[pair + p];
        if (any < 0) {
            applyGroup(plan, paired, b, i, dst);
            applyGroup(plan, paired, b, i + 2 * kPairsInFlight, dst);
            continue;
        }
        __m256d acc[kChains];
        for (auto& a : acc) a = _mm256_setzero_pd();
        for (int j = 0; j < 6; ++j)
            for (int c = 0; c < kChains; ++c) {
                const int32_t p = pair + 2 * c;
                const __m256d weights = _mm256_cvtps_pd(_mm_load_ps(plan.pairWeights(i + 4 * c, j)));
                const __m256d taps =
                    bothHalves(paired[plan.pairedTaps[p] + j], paired[plan.pairedTaps[p + 1] + j]);
                const __m256d sum = _mm256_add_pd(acc[c], _mm256_mul_pd(weights, taps));
                acc[c] = _mm256_cvtps_pd(_mm256_cvtpd_ps(sum));
            }
        for (int c = 0; c < kChains; ++c) _mm_storeu_ps(dst + i + 4 * c, _mm256_cvtpd_ps(acc[c]));
    }
    applyPlanFrom(plan, paired, b, i, m, dst);
}
#endif

void applyPlan(const SincPlan& plan, PairedTaps paired, const double* b, int32_t m, float* dst) {
#if defined(VARNO_WIDE_VECTORS)
    if (wideVectors) {
        applyPlanWide(plan, paired, b, m, dst);
        return;
    }
#endif
    applyPlanFrom(plan, paired, b, 0, m, dst);
}

} // namespace

float sincInterpolate(const float* b, float x) {
    float weights[6];
    const int32_t k = tapWeights(x, weights);
    return applyWeights(b, k, weights);
}

SincStatePtr createSincState() {
    // Zeroed pages from calloc: a state costs resident memory only for the plans
    // and scratch a song touches. Aligned by hand, since a 32-bit allocator may
    // give only 8 bytes.
    constexpr size_t kAlign = alignof(SincState);
    void* allocation = std::calloc(1, sizeof(SincState) + kAlign);
    if (!allocation) throw std::bad_alloc();
    const uintptr_t at = (reinterpret_cast<uintptr_t>(allocation) + kAlign - 1) & ~uintptr_t(kAlign - 1);
    SincState* state = reinterpret_cast<SincState*>(at);
    state->allocation = allocation;
    return SincStatePtr(state);
}

void SincStateDeleter::operator()(SincState* state) const {
    if (state) std::free(state->allocation);
}

void resampleSinc(SincState& state, int32_t prevCount, int32_t curCount, const float* cur, int32_t m, float* dst,
                  const float* prev, const float* next, int32_t nextCount) {
    if (m <= 0) return;
    if (curCount > kMaxSincBlock) curCount = kMaxSincBlock;
    const int32_t n = curCount > 0 ? curCount : 2;

    double* w = state.scratch;
    // Zeros wherever the block and its neighbours leave no sample.
    for (int32_t i = 0; i < 3; ++i) w[i] = 0.0;
    for (int32_t i = 3 + curCount; i < n + 8; ++i) w[i] = 0.0;
    if (prevCount >= 3) {
        w[0] = prev[prevCount - 3];
        w[1] = prev[prevCount - 2];
        w[2] = prev[prevCount - 1];
    }
    for (int32_t i = 0; i < curCount; ++i) w[3 + i] = cur[i];
    if (nextCount >= 3) {
        w[n + 3] = next[0];
        w[n + 4] = next[1];
        w[n + 5] = next[2];
    }

    const double* b = w + 3;
    if (const SincPlan* plan = planFor(state, n, m)) {
        auto* paired = state.pairedScratch;
#if defined(__SSE2__)
        for (int32_t k = 0; k < n + 7; ++k) {
            paired[k][0] = paired[k][1] = w[k];
            paired[kScratch + k][0] = w[k];
            paired[kScratch + k][1] = w[k + 1];
        }
#endif
        applyPlan(*plan, paired, b, m, dst);
    } else {
        forEachPosition(n, m, [&](int32_t i, float x) {
            float weights[6];
            const int32_t k = tapWeights(x, weights);
            dst[i] = applyWeights(b, k, weights);
        });
    }
}

} // namespace varno
