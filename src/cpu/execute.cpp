// The run loop and the operations the machine drives the processor with: reset,
// execute, interrupt requests and cycle accounting.
#include "cpu/bus.h"
#include "cpu/run_state.h"
#include "cpu/saved_processor.h"

namespace varno {

CpuState cpuState{};

namespace cpu {

RunState rs;

namespace {
bool traceSuppressed = false;
}

SavedProcessor saveProcessor() { return {cpuState, rs, traceSuppressed}; }

void restoreProcessor(const SavedProcessor& saved) {
    cpuState = saved.state;
    rs = saved.run;
    traceSuppressed = saved.traceSuppressed;
}

bool lookupFetch(uint32_t address) {
    uint32_t masked = address & 0xFFFFFF;
    const FetchRegion* region = cpuState.current.fetchMap;
    if (region) {
        for (; region->first != kListEnd; ++region) {
            // The whole word must lie inside: a word straddling the end is a miss.
            if (region->first <= masked && masked < region->last) {
                uint32_t top = address & 0xFF000000;
                rs.fetchFirst = region->first | top;
                rs.fetchLimit = region->last - region->first;
                rs.fetchBase = region->hostOffset - top;
                return true;
            }
        }
    }
    rs.fetchFirst = 0xFFFFFFFF;
    rs.fetchLimit = 0;
    rs.fetchBase = 0;
    rs.fault = true;
    cutShort();
    return false;
}

namespace {

// Takes the highest admitted interrupt, if any. Returns false when its vector leads
// outside every fetch region.
bool checkInterrupts() {
    uint8_t pending = cpuState.pendingInterrupts;
    if (!(pending & 0xFE)) return true;
    int mask = cpuState.sr >> 8 & 7;
    for (int level = 7; level >= 1; --level) {
        if (level != 7 && level <= mask) break;
        if (pending & (1 << level)) {
            cpuState.pendingInterrupts &= static_cast<uint8_t>(~(1 << level));
            enterException(cpuState.interruptVectors[level - 1]);
            cpuState.sr = static_cast<uint16_t>((cpuState.sr & ~SR_MASK) | level << 8);
            charge(44);
            return !rs.fault;
        }
    }
    return true;
}

// Cycles run so far in this run; wide arithmetic since the last instruction may
// overshoot a budget close to the largest one.
uint32_t executedCycles() {
    return static_cast<uint32_t>(int64_t{rs.budget} - (int64_t{rs.remaining} + 1) - rs.parked);
}

void beginRun(int32_t budget) {
    rs.budget = budget;
    rs.remaining = budget - 1;
    rs.parked = 0;
    rs.running = true;
    rs.fault = false;
    rs.tracePending = false;
    rs.resetStop = false;
    rs.pc = cpuState.pc;
    setCCR(cpuState.sr);
    clearDataCaches();
    rs.fetchFirst = 0;
    rs.fetchLimit = 0;
}

uint32_t endRun(uint32_t result) {
    cpuState.pc = rs.pc;
    cpuState.sr = packSR();
    cpuState.cycleCounter += executedCycles();
    rs.running = false;
    rs.budget = 0;
    rs.remaining = -1;
    rs.parked = 0;
    rs.fault = false;
    rs.tracePending = false;
    return result;
}

// Runs instructions while cycles remain. Returns false when the next opcode lies
// outside every fetch region.
bool dispatch() {
    do {
        uint32_t p = rs.pc;
        if (p - rs.fetchFirst >= rs.fetchLimit) [[unlikely]] {
            if (!lookupFetch(p)) return false;
        }
        rs.pc = p + 2;
        opcodeTable[load16(rs.fetchBase + p)]();
    } while (rs.remaining >= 0);
    return true;
}

} // namespace

uint32_t reset() {
    if (rs.running || !cpuState.supervisor.fetchMap) return 1;
    rs = RunState{};
    for (auto& r : cpuState.d) r = 0;
    for (auto& r : cpuState.a) r = 0;
    cpuState.otherStackPointer = 0;
    cpuState.sr = 0x2700;
    cpuState.current = cpuState.supervisor;
    cpuState.pc = 1;
    cpuState.pendingInterrupts = PENDING_STOPPED;
    const FetchRegion* region = cpuState.current.fetchMap;
    for (; region->first != kListEnd; ++region) {
        if (region->first == 0 && region->last >= 7) break;
    }
    if (region->first == kListEnd) return 1;
    auto longAt = [&](uint32_t address) {
        uintptr_t host = region->hostOffset + address;
        return static_cast<uint32_t>(load16(host)) << 16 | load16(host + 2);
    };
    cpuState.a[7] = longAt(0);
    cpuState.pc = longAt(4);
    cpuState.pendingInterrupts = static_cast<uint8_t>(cpuState.pc & 1);
    return (cpuState.pc & 1) ? RUN_HALTED : 0;
}

uint32_t execute(int32_t budget) {
    if (rs.running) return RUN_HALTED;  // no nested runs
    if (budget < 0) budget = 0;  // still one instruction, as for a budget of 0
    if (cpuState.pendingInterrupts & PENDING_STOPPED) {
        if (cpuState.pc & 1) return RUN_HALTED;
        cpuState.cycleCounter += static_cast<uint32_t>(budget);
        return RUN_BUDGET_SPENT;
    }
    beginRun(budget);
    if (!lookupFetch(rs.pc)) return endRun(RUN_FETCH_FAULT);
    if (!checkInterrupts()) return endRun(RUN_FETCH_FAULT);
    for (;;) {
        if ((cpuState.sr & SR_T) && !traceSuppressed) {
            rs.tracePending = true;
            cutShort();
        }
        if (!dispatch()) return endRun(RUN_FETCH_FAULT);
        if (rs.resetStop) {
            rs.resetStop = false;
            return endRun(rs.pc & 0xFFFFFF);
        }
        if (rs.fault) {
            // An instruction transferred control outside every region: the run ends
            // normally and the next one reports the fetch fault.
            return endRun(RUN_BUDGET_SPENT);
        }
        if (rs.tracePending) {
            rs.tracePending = false;
            enterException(9);
            charge(34);
            if (rs.fault) return endRun(RUN_BUDGET_SPENT);
        }
        if (!checkInterrupts()) return endRun(RUN_FETCH_FAULT);
        rs.remaining += rs.parked;
        rs.parked = 0;
        if (rs.remaining < 0) return endRun(RUN_BUDGET_SPENT);
    }
}

uint32_t raiseInterrupt(int32_t level, int32_t vector) {
    if (level < 1 || level > 7 || vector < -2 || vector > 255) return 2;
    if (vector == -2) vector = 24;
    if (vector == -1) vector = 24 + level;
    uint8_t bit = static_cast<uint8_t>(1 << level);
    if (cpuState.pendingInterrupts & bit) return 1;
    cpuState.pendingInterrupts |= bit;
    // A stopped processor wakes up; a halted one (odd PC) stays halted until reset.
    if (!(cpuState.pc & 1) || rs.running) cpuState.pendingInterrupts &= static_cast<uint8_t>(~PENDING_STOPPED);
    cpuState.interruptVectors[level - 1] = static_cast<uint8_t>(vector);
    if (rs.running) cutShort();
    return 0;
}

void serviceInterrupts() {
    bool halted = (cpuState.pendingInterrupts & PENDING_STOPPED) && (cpuState.pc & 1);
    if (rs.running || halted) return;
    rs.pc = cpuState.pc;
    setCCR(cpuState.sr);
    rs.remaining = -1;
    clearDataCaches();
    rs.fetchFirst = 0xFFFFFFFF;
    rs.fetchLimit = 0;
    checkInterrupts();
    if (rs.remaining != -1) {
        cpuState.cycleCounter += 44;
        cpuState.pc = rs.pc;
        cpuState.sr = packSR();
    }
    rs.remaining = -1;
    rs.parked = 0;
    rs.fault = false;
}

uint32_t readCycles() { return cpuState.cycleCounter + executedCycles(); }

uint32_t takeCycles() {
    uint32_t total = readCycles();
    if (rs.running) rs.budget = rs.remaining + 1 + rs.parked;
    cpuState.cycleCounter = 0;
    return total;
}

bool running() { return rs.running; }

void suppressTrace(bool suppress) { traceSuppressed = suppress; }

} // namespace cpu
} // namespace varno
