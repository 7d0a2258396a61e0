// Paula's output as a sum of band-limited steps: every raw sample a channel plays
// is held until the next one, so each sample change is a step, drawn here through
// the model's fixed output low-pass and band-limited to the output rate from a
// precomputed table. There is no interpolation between samples.
#pragma once

#include <cstdint>

#include "audio/amiga_output_state.h"

namespace varno {

// Interpolation settings of the two models.
constexpr int32_t kInterpolationA500 = 2;
constexpr int32_t kInterpolationA1200 = 3;

// The one-pole low-pass after the DAC: an RC stage at about 4.4 kHz on the Amiga
// 500, at about 34 kHz on the Amiga 1200 (which leaves the audible band alone).
constexpr double kA500FilterHz = 4421.0;
constexpr double kA1200FilterHz = 34000.0;

// Sub-frame positions a step can take: a step's time is rounded to 1/512 frame.
constexpr int32_t kStepPhases = 512;

// The step table of a model at an output rate: kStepPhases + 1 rows of kStepTaps
// values, row p holding g(k + p / kStepPhases) - 1 for k = 0 .. kStepTaps - 1,
// where g is the step response (0 before the step, 1 long after). Built on first
// use; kept until another model or rate is asked for. Model 3 is the Amiga 1200,
// anything else the Amiga 500.
const float* stepTable(int32_t model, uint32_t sampleRate);

// One channel's tick: the n raw samples of cur, spread evenly over the tick (sample
// i starts at frame i m / n), as held values onto m output frames in dst, which
// needs room for m + kStepTaps floats. level is the value held before the tick
// and is left at the last one; carry holds the kStepTaps residual values earlier
// steps left on this tick's first frames and receives those this tick leaves on
// the next. An empty block (n = 0) steps to silence at the tick's start.
void renderSteps(const float* table, const float* cur, int32_t n, float* dst, int32_t m, float& level,
                 float* carry);

} // namespace varno
