// The processor's process-wide state between runs, taken and given back whole,
// so that a second machine can use the processor for a while.
#pragma once

#include "cpu/run_state.h"

namespace varno::cpu {

struct SavedProcessor {
    CpuState state;
    RunState run;
    bool traceSuppressed;
};

SavedProcessor saveProcessor();
void restoreProcessor(const SavedProcessor& saved);

} // namespace varno::cpu
