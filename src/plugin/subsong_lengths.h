// Measuring and handing out the lengths of a module's subsongs.
#pragma once

#include "session/length_measure.h"

namespace varno {

struct AmigaMachine;
struct Song;

// The song's subsong lengths as a block of floats from the machine's host's memory, which the
// host releases; null without subsongs.
float* subsongLengthList(const AmigaMachine& machine, const Song& song);

} // namespace varno
