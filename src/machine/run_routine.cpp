// runRoutine: one emulated subroutine call, its end detection and fault reports.
#include "machine/run_routine.h"

#include <algorithm>
#include <cstdio>

#include "amigaos/system.h"
#include "machine/amiga_machine.h"

namespace varno {

namespace {

// A stopped processor idles through every later run without looking at its
// requests; only raiseInterrupt wakes it, and no code runs during the call that
// could raise one. So a STOP inside a call never ends.
bool stoppedForGood(const CpuState& registers) { return registers.pendingInterrupts & PENDING_STOPPED; }

// A block's budget stays well inside the processor's signed cycle count.
constexpr uint32_t kMaxBlockCycles = 1u << 30;

void reportFault(const CpuContext& cpu, uint32_t result, uint32_t routine) {
    char text[256];
    const uint32_t pc = cpu.processor.cpuState.pc;
    const uint32_t sp = cpu.processor.cpuState.a[7];
    if (result == kRunTimedOut) {
        std::snprintf(text, sizeof text,
                      "Emulated CPU did not return in time. (PC = 0x%08x)\n\n"
                      "Emulation of procedure %s/%s ($%08x) cannot continue.",
                      pc, cpu.faultPlayer, cpu.faultRoutine, routine);
    } else if (result == RUN_FETCH_FAULT && (pc < kReturnTrap || pc > kTrapWindowEnd)) {
        std::snprintf(text, sizeof text, "Emulated CPU went into the weeds. (PC = 0x%08x)", pc);
    } else {
        const MemoryRegion& low = *cpu.lowMemory;
        const uint32_t offset = pc - kReturnTrap;
        std::snprintf(text, sizeof text,
                      "Guru Meditation: exception $%02X (vector %i) at $%08X\n"
                      "SP: %08X, Stack: %08X %08X %08X %08X\n\n"
                      "Emulation of procedure %s/%s ($%08x) cannot contiune.",
                      offset, int(offset / 4), low.readLong(sp + 2), sp, low.readLong(sp), low.readLong(sp + 4),
                      low.readLong(sp + 8), low.readLong(sp + 12), cpu.faultPlayer, cpu.faultRoutine, routine);
    }
    if (cpu.owner) cpu.owner->reportFault(text);
}

} // namespace

uint32_t runRoutine(CpuContext& cpu, uint32_t* d0Out, uint32_t* d1Out, uint32_t cycleLimit, bool report) {
    MutexLock lock(cpu.runLock);
    Processor& processor = cpu.processor;
    CpuState& registers = processor.cpuState;
    cpu.busy = 1;
    const uint32_t routine = registers.pc;
    registers.a[7] = cpu.stackTop;
    cpu::takeCycles(processor);

    // The processor runs in blocks up to the cycle bound: it stops by itself at the
    // routine's return (a fetch from the return trap), at a fault, and for anything
    // that must be seen between instructions (interrupts raised, STOP, trace), so
    // the bound is met at the same instruction as when run one at a time.
    uint32_t result = RUN_BUDGET_SPENT;
    for (;;) {
        if (registers.cycleCounter >= cycleLimit || stoppedForGood(registers)) {
            result = kRunTimedOut;
            break;
        }
        result = cpu::execute(processor, int32_t(std::min<uint32_t>(cycleLimit - registers.cycleCounter, kMaxBlockCycles)));
        if (result != RUN_BUDGET_SPENT) break;
    }

    if (result == RUN_FETCH_FAULT && registers.pc == kReturnTrap)
        result = RUN_BUDGET_SPENT;
    else if (report)
        reportFault(cpu, result, routine);

    registers.a[7] -= 4;
    if (d0Out) *d0Out = registers.d[0];
    if (d1Out) *d1Out = registers.d[1];
    cpu.busy = 0;
    return result;
}

} // namespace varno
