// The machine's processor and bus object: the region lists, the low-memory vectors
// and stubs through which calls and interrupts enter and leave emulated code.
#pragma once

#include <cstdint>
#include <memory>

#include "cpu/cpu.h"
#include "memory/memory_region.h"
#include "platform/mutex.h"

namespace varno {

struct AmigaMachine;

constexpr uint32_t kReturnTrap = 0xF80000;      // unmapped: fetching here ends a run
constexpr uint32_t kTrapWindowEnd = 0xF80100;   // exceptions land at kReturnTrap + 4n
constexpr float kCpuClockHz = 7093789.0f;       // PAL 68000 clock

// Low memory in up to two parts, main memory, three devices and the end mark.
constexpr size_t kDataListSize = 7;

struct CpuContext {
    float clockHz = kCpuClockHz;
    uint8_t busy = 0;             // 1 while emulated code runs
    uint8_t inInterruptCall = 0;  // 1 while an interrupt server runs as a subroutine
    uint32_t stackTop = 0x1FFE0;
    uint32_t returnStub = 0xC0;
    uint32_t chipIntStub = 0xC6;
    uint32_t softIntStub = 0x10A;
    uint32_t chipIntCallStub = 0xE8;
    uint32_t softIntCallStub = 0x12C;
    FetchRegion fetchList[3]{};
    BusRegion byteWriteList[kDataListSize]{};
    BusRegion wordWriteList[kDataListSize]{};
    BusRegion byteReadList[kDataListSize]{};
    BusRegion wordReadList[kDataListSize]{};
    MemoryRegion* lowMemory = nullptr;
    MemoryRegion* mainMemory = nullptr;
    DeviceRegion* ciaA = nullptr;
    DeviceRegion* ciaB = nullptr;
    DeviceRegion* customChips = nullptr;
    AmigaMachine* owner = nullptr;
    // The player and routine that last entered emulated code, for fault messages.
    char faultPlayer[32] = {};
    char faultRoutine[32] = {};
    Processor processor;  // this machine's 68000
    Mutex runLock;        // held around every run of emulated code on this machine
};

// Low-memory layout installed by the context.
constexpr uint32_t kStubLength = 0x22;          // each interrupt/call stub
constexpr uint32_t kChipIntSlots = 0x150;       // server data, code, D1 for chipIntStub/chipIntCallStub
constexpr uint32_t kSoftIntSlots = 0x160;       // the same for softIntStub/softIntCallStub
constexpr uint32_t kVectorChipInt = 28;         // level-4 autovector
constexpr uint32_t kVectorSoftInt = 29;         // level-5 autovector

// Builds the region lists from the machine's RAM and devices, writes the vectors
// and stubs into low memory, initialises and resets the processor, and leaves it
// ready for a call (A7 = stackTop holding returnStub). Returns null when the
// machine has no RAM regions.
std::unique_ptr<CpuContext> createCpuContext(AmigaMachine& machine);

// Clears the run flags, resets the processor and restores the return address at
// stackTop; used at construction and whenever a module is opened.
void resetCpuContext(CpuContext& cpu);

// Names the player and routine that the following runs of emulated code belong to.
void nameFaultProcedure(CpuContext& cpu, const char* player, const char* routine);

} // namespace varno
