// Stand-in for the processor calls the hardware makes, until the 68000 core is
// part of the build: readCycles answers cpuState.cycleCounter and
// raiseInterrupt records its requests.
#include "cpu/cpu.h"
#include "cpu_stand_in.h"

namespace varno {

CpuState cpuState{};
RaisedInterrupts raisedInterrupts;

namespace cpu {
uint32_t readCycles() { return cpuState.cycleCounter; }
uint32_t raiseInterrupt(int32_t level, int32_t vector) {
    raisedInterrupts.calls.push_back({level, vector});
    return 0;
}
} // namespace cpu
} // namespace varno
