// The run loop and the operations the machine drives the processor with: reset,
// execute, interrupt requests and cycle accounting.
#include "cpu/bus.h"
#include "cpu/run_state.h"

namespace varno {

namespace cpu {

bool lookupFetch(Processor& p, uint32_t address) {
    uint32_t masked = address & 0xFFFFFF;
    const FetchRegion* region = p.cpuState.current.fetchMap;
    if (region) {
        for (; region->first != kListEnd; ++region) {
            // The whole word must lie inside: a word straddling the end is a miss.
            if (region->first <= masked && masked < region->last) {
                uint32_t top = address & 0xFF000000;
                p.rs.fetchFirst = region->first | top;
                p.rs.fetchLimit = region->last - region->first;
                p.rs.fetchBase = region->hostOffset - top;
                return true;
            }
        }
    }
    p.rs.fetchFirst = 0xFFFFFFFF;
    p.rs.fetchLimit = 0;
    p.rs.fetchBase = 0;
    p.rs.fault = true;
    cutShort(p);
    return false;
}

namespace {

// Takes the highest admitted interrupt, if any. Returns false when its vector leads
// outside every fetch region.
bool checkInterrupts(Processor& p) {
    uint8_t pending = p.cpuState.pendingInterrupts;
    if (!(pending & 0xFE)) return true;
    int mask = p.cpuState.sr >> 8 & 7;
    for (int level = 7; level >= 1; --level) {
        if (level != 7 && level <= mask) break;
        if (pending & (1 << level)) {
            p.cpuState.pendingInterrupts &= static_cast<uint8_t>(~(1 << level));
            enterException(p, p.cpuState.interruptVectors[level - 1]);
            p.cpuState.sr = static_cast<uint16_t>((p.cpuState.sr & ~SR_MASK) | level << 8);
            charge(p, 44);
            return !p.rs.fault;
        }
    }
    return true;
}

// Cycles run so far in this run; wide arithmetic since the last instruction may
// overshoot a budget close to the largest one.
uint32_t executedCycles(Processor& p) {
    return static_cast<uint32_t>(int64_t{p.rs.budget} - (int64_t{p.rs.remaining} + 1) - p.rs.parked);
}

void beginRun(Processor& p, int32_t budget) {
    p.rs.budget = budget;
    p.rs.remaining = budget - 1;
    p.rs.parked = 0;
    p.rs.running = true;
    p.rs.fault = false;
    p.rs.tracePending = false;
    p.rs.resetStop = false;
    p.rs.pc = p.cpuState.pc;
    setCCR(p, p.cpuState.sr);
    clearDataCaches(p);
    p.rs.fetchFirst = 0;
    p.rs.fetchLimit = 0;
}

uint32_t endRun(Processor& p, uint32_t result) {
    p.cpuState.pc = p.rs.pc;
    p.cpuState.sr = packSR(p);
    p.cpuState.cycleCounter += executedCycles(p);
    p.rs.running = false;
    p.rs.budget = 0;
    p.rs.remaining = -1;
    p.rs.parked = 0;
    p.rs.fault = false;
    p.rs.tracePending = false;
    return result;
}

// Runs instructions while cycles remain. Returns false when the next opcode lies
// outside every fetch region.
bool dispatch(Processor& p) {
    do {
        uint32_t pc = p.rs.pc;
        if (pc - p.rs.fetchFirst >= p.rs.fetchLimit) [[unlikely]] {
            if (!lookupFetch(p, pc)) return false;
        }
        p.rs.pc = pc + 2;
        opcodeTable[load16(p.rs.fetchBase + pc)](p);
    } while (p.rs.remaining >= 0);
    return true;
}

} // namespace

uint32_t reset(Processor& p) {
    if (p.rs.running || !p.cpuState.supervisor.fetchMap) return 1;
    p.rs = RunState{};
    for (auto& r : p.cpuState.d) r = 0;
    for (auto& r : p.cpuState.a) r = 0;
    p.cpuState.otherStackPointer = 0;
    p.cpuState.sr = 0x2700;
    p.cpuState.current = p.cpuState.supervisor;
    p.cpuState.pc = 1;
    p.cpuState.pendingInterrupts = PENDING_STOPPED;
    const FetchRegion* region = p.cpuState.current.fetchMap;
    for (; region->first != kListEnd; ++region) {
        if (region->first == 0 && region->last >= 7) break;
    }
    if (region->first == kListEnd) return 1;
    auto longAt = [&](uint32_t address) {
        uintptr_t host = region->hostOffset + address;
        return static_cast<uint32_t>(load16(host)) << 16 | load16(host + 2);
    };
    p.cpuState.a[7] = longAt(0);
    p.cpuState.pc = longAt(4);
    p.cpuState.pendingInterrupts = static_cast<uint8_t>(p.cpuState.pc & 1);
    return (p.cpuState.pc & 1) ? RUN_HALTED : 0;
}

uint32_t execute(Processor& p, int32_t budget) {
    if (p.rs.running) return RUN_HALTED;  // no nested runs
    if (budget < 0) budget = 0;  // still one instruction, as for a budget of 0
    if (p.cpuState.pendingInterrupts & PENDING_STOPPED) {
        if (p.cpuState.pc & 1) return RUN_HALTED;
        p.cpuState.cycleCounter += static_cast<uint32_t>(budget);
        return RUN_BUDGET_SPENT;
    }
    beginRun(p, budget);
    if (!lookupFetch(p, p.rs.pc)) return endRun(p, RUN_FETCH_FAULT);
    if (!checkInterrupts(p)) return endRun(p, RUN_FETCH_FAULT);
    for (;;) {
        if ((p.cpuState.sr & SR_T) && !p.traceSuppressed) {
            p.rs.tracePending = true;
            cutShort(p);
        }
        if (!dispatch(p)) return endRun(p, RUN_FETCH_FAULT);
        if (p.rs.resetStop) {
            p.rs.resetStop = false;
            return endRun(p, p.rs.pc & 0xFFFFFF);
        }
        if (p.rs.fault) {
            // An instruction transferred control outside every region: the run ends
            // normally and the next one reports the fetch fault.
            return endRun(p, RUN_BUDGET_SPENT);
        }
        if (p.rs.tracePending) {
            p.rs.tracePending = false;
            enterException(p, 9);
            charge(p, 34);
            if (p.rs.fault) return endRun(p, RUN_BUDGET_SPENT);
        }
        if (!checkInterrupts(p)) return endRun(p, RUN_FETCH_FAULT);
        p.rs.remaining += p.rs.parked;
        p.rs.parked = 0;
        if (p.rs.remaining < 0) return endRun(p, RUN_BUDGET_SPENT);
    }
}

uint32_t raiseInterrupt(Processor& p, int32_t level, int32_t vector) {
    if (level < 1 || level > 7 || vector < -2 || vector > 255) return 2;
    if (vector == -2) vector = 24;
    if (vector == -1) vector = 24 + level;
    uint8_t bit = static_cast<uint8_t>(1 << level);
    if (p.cpuState.pendingInterrupts & bit) return 1;
    p.cpuState.pendingInterrupts |= bit;
    // A stopped processor wakes up; a halted one (odd PC) stays halted until reset.
    if (!(p.cpuState.pc & 1) || p.rs.running) p.cpuState.pendingInterrupts &= static_cast<uint8_t>(~PENDING_STOPPED);
    p.cpuState.interruptVectors[level - 1] = static_cast<uint8_t>(vector);
    if (p.rs.running) cutShort(p);
    return 0;
}

void serviceInterrupts(Processor& p) {
    bool halted = (p.cpuState.pendingInterrupts & PENDING_STOPPED) && (p.cpuState.pc & 1);
    if (p.rs.running || halted) return;
    p.rs.pc = p.cpuState.pc;
    setCCR(p, p.cpuState.sr);
    p.rs.remaining = -1;
    clearDataCaches(p);
    p.rs.fetchFirst = 0xFFFFFFFF;
    p.rs.fetchLimit = 0;
    checkInterrupts(p);
    if (p.rs.remaining != -1) {
        p.cpuState.cycleCounter += 44;
        p.cpuState.pc = p.rs.pc;
        p.cpuState.sr = packSR(p);
    }
    p.rs.remaining = -1;
    p.rs.parked = 0;
    p.rs.fault = false;
}

uint32_t readCycles(Processor& p) { return p.cpuState.cycleCounter + executedCycles(p); }

uint32_t takeCycles(Processor& p) {
    uint32_t total = readCycles(p);
    if (p.rs.running) p.rs.budget = p.rs.remaining + 1 + p.rs.parked;
    p.cpuState.cycleCounter = 0;
    return total;
}

bool running(Processor& p) { return p.rs.running; }

void suppressTrace(Processor& p, bool suppress) { p.traceSuppressed = suppress; }

} // namespace cpu
} // namespace varno
