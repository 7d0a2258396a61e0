// Speed of the 68000 core on a loop of typical replay-routine code, run under one
// large budget and one instruction per execute call, as the machine drives it.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "cpu/cpu.h"

namespace {

using namespace varno;

constexpr uint32_t kSpace = 0x200000;
constexpr uint32_t kCode = 0x1000;
constexpr uint32_t kOuter = kCode;

// The loop: walk a sample table, scale, look up, multiply, store, branch on a counter.
const uint16_t kProgram[] = {
    0x41F9, 0x0001, 0x0000,  // outer: LEA $10000,A0
    0x45F9, 0x0003, 0x0000,  //        LEA $30000,A2
    0x43F9, 0x0008, 0x0000,  //        LEA $80000,A1
    0x303C, 0x00FF,          //        MOVE.W #255,D0
    0x3218,                  // loop:  MOVE.W (A0)+,D1
    0xD441,                  //        ADD.W D1,D2
    0xE549,                  //        LSL.W #2,D1
    0x2631, 0x1000,          //        MOVE.L 0(A1,D1.W),D3
    0xC6C1,                  //        MULU D1,D3
    0x34C3,                  //        MOVE.W D3,(A2)+
    0x0800, 0x0000,          //        BTST #0,D0
    0x6702,                  //        BEQ.S skip
    0x7400,                  //        MOVEQ #0,D2
    0x1742, 0x0004,          // skip:  MOVE.B D2,4(A3)
    0xE28A,                  //        LSR.L #1,D2
    0x51C8, 0xFFE2,          //        DBRA D0,loop
    0x60C8,                  //        BRA.S outer
};

struct Machine {
    Processor processor;
    CpuState& cpuState = processor.cpuState;
    std::unique_ptr<uint8_t[]> ram{new uint8_t[kSpace]()};
    FetchRegion fetch[2];
    BusRegion data[2];
    uint32_t instructionsPerOuter = 0;
    uint32_t cyclesPerOuter = 0;

    Machine() {
        uintptr_t base = reinterpret_cast<uintptr_t>(ram.get());
        fetch[0] = {0, kSpace - 1, base};
        fetch[1] = {kListEnd, kListEnd, 0};
        data[0] = {0, kSpace - 1, nullptr, nullptr, ram.get()};
        data[1] = {kListEnd, kListEnd, nullptr, nullptr, nullptr};
        MapSet maps{fetch, data, data, data, data};
        cpuState.supervisor = maps;
        cpuState.user = maps;
        uint32_t address = kCode;
        for (uint16_t word : kProgram) {
            std::memcpy(ram.get() + address, &word, 2);
            address += 2;
        }
        uint32_t seed = 12345;
        for (uint32_t a = 0x10000; a < 0x10200; a += 2) {
            seed = seed * 1103515245 + 12345;
            uint16_t sample = static_cast<uint16_t>(seed >> 16) & 0x0FFF;
            std::memcpy(ram.get() + a, &sample, 2);
        }
        start();
        // One outer pass, stepped: the loop is the same every pass.
        cpu::execute(processor, 1);
        while (cpuState.pc != kOuter) {
            cpu::execute(processor, 1);
            ++instructionsPerOuter;
        }
        ++instructionsPerOuter;
        cyclesPerOuter = cpu::takeCycles(processor);
    }

    void start() {
        cpu::reset(processor);
        cpuState.a[3] = 0x40000;
        cpuState.a[7] = 0x8000;
        cpuState.pc = kCode;
        cpuState.sr = 0x2700;
        cpuState.pendingInterrupts = 0;
        cpu::takeCycles(processor);
    }
};

Machine& machine() {
    static Machine m;
    return m;
}

void report(benchmark::State& state, uint64_t cycles) {
    Machine& m = machine();
    double instructions = static_cast<double>(cycles) * m.instructionsPerOuter / m.cyclesPerOuter;
    state.counters["M_instr"] = benchmark::Counter(instructions / 1e6, benchmark::Counter::kIsRate);
}

void largeBudget(benchmark::State& state) {
    Machine& m = machine();
    m.start();
    uint64_t cycles = 0;
    for (auto _ : state) {
        cpu::execute(m.processor, 1'000'000);
        cycles += cpu::takeCycles(m.processor);
    }
    report(state, cycles);
}
BENCHMARK(largeBudget);

void oneInstructionPerCall(benchmark::State& state) {
    Machine& m = machine();
    m.start();
    uint64_t cycles = 0;
    for (auto _ : state) {
        for (int i = 0; i < 10000; ++i) cpu::execute(m.processor, 1);
        cycles += cpu::takeCycles(m.processor);
    }
    report(state, cycles);
}
BENCHMARK(oneInstructionPerCall);

} // namespace
