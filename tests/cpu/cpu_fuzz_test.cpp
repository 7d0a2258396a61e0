// Random opcode streams in random memory: the core must neither crash nor touch host
// memory outside its regions, whatever it executes.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "cpu/cpu.h"

namespace varno::test {
namespace {

constexpr uint32_t kFirst = 0;
constexpr uint32_t kSize = 0x10000;
constexpr uint32_t kGuard = 4096;
constexpr uint8_t kCanary = 0x5C;

uint32_t deviceRead(uint32_t address, const BusRegion&) { return address * 7; }
void deviceWrite(uint32_t, uint32_t, const BusRegion&) {}

TEST(FuzzTest, RandomCodeStaysInsideItsRegions) {
    // One region with guard bands on both sides of the host buffer, plus a device.
    std::vector<uint8_t> host(kGuard + kSize + kGuard, kCanary);
    uint8_t* ram = host.data() + kGuard;
    FetchRegion fetch[2] = {{kFirst, kFirst + kSize - 1, reinterpret_cast<uintptr_t>(ram) - kFirst},
                            {kListEnd, kListEnd, 0}};
    BusRegion data[3] = {{kFirst, kFirst + kSize - 1, nullptr, nullptr, ram},
                         {0xDFF000, 0xDFFFFF, &deviceRead, &deviceWrite, nullptr},
                         {kListEnd, kListEnd, nullptr, nullptr, nullptr}};
    MapSet maps{fetch, data, data, data, data};
    struct {
        Processor processor;
        CpuState& cpuState = processor.cpuState;
    } m;
    m.cpuState.supervisor = maps;
    m.cpuState.user = maps;
    m.cpuState.current = maps;
    cpu::suppressTrace(m.processor, false);

    std::mt19937 random(20261207);
    auto word = [&] { return static_cast<uint32_t>(random()); };
    uint64_t cycles = 0;
    for (int round = 0; round < 500; ++round) {
        for (uint32_t i = 0; i < kSize; i += 4) {
            uint32_t bits = word();
            std::memcpy(ram + i, &bits, 4);
        }
        // Most vectors lead back into the region, so exceptions keep the stream going.
        for (uint32_t v = 2; v < 256; ++v) {
            uint32_t target = (random() % 8) ? kFirst + (word() % kSize & ~1u) : word();
            uint16_t halves[2] = {static_cast<uint16_t>(target >> 16), static_cast<uint16_t>(target)};
            std::memcpy(ram + 4 * v, halves, 4);
        }
        for (auto& r : m.cpuState.d) r = word();
        for (int i = 0; i < 7; ++i) {
            // Half the address registers point into the region, the rest anywhere.
            m.cpuState.a[i] = (random() & 1) ? kFirst + (word() % kSize) : word();
        }
        m.cpuState.a[7] = kFirst + (word() % kSize);
        m.cpuState.otherStackPointer = word();
        m.cpuState.sr = static_cast<uint16_t>(word() & 0xA71F);
        m.cpuState.current = (m.cpuState.sr & SR_S) ? m.cpuState.supervisor : m.cpuState.user;
        m.cpuState.pendingInterrupts = 0;
        m.cpuState.pc = kFirst + (word() % kSize & ~1u);
        for (int run = 0; run < 200; ++run) {
            if (random() % 16 == 0) cpu::raiseInterrupt(m.processor, static_cast<int32_t>(1 + random() % 7), -1);
            uint32_t result = cpu::execute(m.processor, static_cast<int32_t>(random() % 4000));
            if (result == RUN_FETCH_FAULT || result == RUN_HALTED || (m.cpuState.pendingInterrupts & PENDING_STOPPED)) {
                m.cpuState.pendingInterrupts = 0;
                m.cpuState.pc = kFirst + (word() % kSize & ~1u);
            }
        }
        cycles += cpu::takeCycles(m.processor);
    }
    for (uint32_t i = 0; i < kGuard; ++i) {
        ASSERT_EQ(host[i], kCanary) << "below the region at " << i;
        ASSERT_EQ(host[kGuard + kSize + i], kCanary) << "above the region at " << i;
    }
    EXPECT_GT(cycles, 25'000'000u) << "the streams must actually run";
}

} // namespace
} // namespace varno::test
