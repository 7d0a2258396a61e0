// Stretching one tick's raw channel block onto the tick's output length:
// drop-sample (None) in fixed point, or a 6-tap Lanczos sinc that looks three
// samples into the neighbouring ticks.
#pragma once

#include <cstdint>
#include <memory>

namespace varno {

// None: dst[i] = src[floor(i n / m)] in 17.15 fixed point; m zeros when n is 0.
void resampleNearest(const float* src, int32_t n, float* dst, int32_t m);

// What Sinc resampling keeps from block to block (the tap weights of recent
// block shapes) and works in: one per audio path, so that paths played on
// different threads share nothing.
struct SincState;
struct SincStateDeleter {
    void operator()(SincState* state) const;
};
using SincStatePtr = std::unique_ptr<SincState, SincStateDeleter>;
SincStatePtr createSincState();

// Sinc: the block cur of curCount samples onto m outputs, with the last three
// samples of prev and the first three of next as context (a neighbour of fewer
// than three samples gives none). An empty block plays as two silent samples.
void resampleSinc(SincState& state, int32_t prevCount, int32_t curCount, const float* cur, int32_t m, float* dst,
                  const float* prev, const float* next, int32_t nextCount);

// The interpolated value at position x of b, reading b[floor(x) - 2 .. floor(x) + 3].
float sincInterpolate(const float* b, float x);

// Lanczos window with a = 3; 0 outside -3..3.
float lanczosKernel(float t);

// Largest block resampleSinc accepts: one channel buffer slot.
constexpr int32_t kMaxSincBlock = 65536;

} // namespace varno
