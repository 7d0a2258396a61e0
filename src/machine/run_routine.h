// Running a 68000 subroutine to completion from native code, and calling a
// player's entry points that way.
#pragma once

#include <cstdint>

#include "machine/cpu_context.h"

namespace varno {


// Every call is bounded so that no player can hang the host. Set-up and check
// routines get about a minute of Amiga time; a tick routine normally finishes
// within a fraction of its 20 ms tick, so two seconds is already far beyond any
// honest replay routine.
constexpr uint32_t kRoutineCycleLimit = 60u * 7093789u;  // 425,627,340 cycles
constexpr uint32_t kTickCycleLimit = 2u * 7093789u;      // 14,187,578 cycles

// Result of a call that was stopped by its bound (or by a STOP that nothing can
// ever wake). RUN_BUDGET_SPENT means the routine returned.
constexpr uint32_t kRunTimedOut = 0x80000002;

// Runs the routine at the processor's PC with A7 = stackTop until it returns through
// the return stub, faults, or exceeds cycleLimit. Faults are reported through
// showError. D0/D1 are stored through the optional pointers in every case.
// Returns RUN_BUDGET_SPENT when the routine returned normally.
// With report false a fault is not shown (the caller has shown one already).
uint32_t runRoutine(CpuContext& cpu, uint32_t* d0Out, uint32_t* d1Out, uint32_t cycleLimit = kRoutineCycleLimit,
                    bool report = true);


} // namespace varno
