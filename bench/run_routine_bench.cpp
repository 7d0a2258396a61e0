// Cost of calling into emulated code: one empty call through runRoutine, and a
// routine making a thousand exec calls through the trap words.
#include <benchmark/benchmark.h>

#include <initializer_list>

#include "machine/amiga_machine.h"
#include "machine/cpu_context.h"
#include "machine/run_routine.h"
#include "platform/message_box.h"

namespace {

using namespace varno;

uint32_t place(MemoryRegion& main, std::initializer_list<uint16_t> words) {
    const uint32_t at = main.allocate(uint32_t(2 * words.size()));
    uint32_t a = at;
    for (uint16_t w : words) main.writeWord(a, w), a += 2;
    return at;
}

void BM_EmptyCall(benchmark::State& state) {
    auto machine = createMachine(nullptr, "");
    const uint32_t code = place(*machine->mainMemory, {0x4E75});  // RTS
    for (auto _ : state) {
        machine->cpu->processor.cpuState.pc = code;
        benchmark::DoNotOptimize(runRoutine(*machine->cpu, nullptr, nullptr));
    }
}
BENCHMARK(BM_EmptyCall);

// 1000 x AllocMem(0): JSR to the vector, JMP to the stub, the trap-word write
// and the native dispatcher, RTS back.
void BM_ThousandExecCalls(benchmark::State& state) {
    auto machine = createMachine(nullptr, "");
    const uint32_t code = place(*machine->mainMemory, {
                                                          0x2C78, 0x0004,  // MOVEA.L ($4).W,A6
                                                          0x343C, 0x03E7,  // MOVE.W #999,D2
                                                          0x7000,          // loop: MOVEQ #0,D0
                                                          0x4EAE, 0xFF3A,  // JSR -198(A6)
                                                          0x51CA, 0xFFF8,  // DBRA D2,loop
                                                          0x4E75,          // RTS
                                                      });
    for (auto _ : state) {
        machine->cpu->processor.cpuState.pc = code;
        if (runRoutine(*machine->cpu, nullptr, nullptr) != RUN_BUDGET_SPENT) state.SkipWithError("call failed");
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_ThousandExecCalls);

} // namespace
