// The 68000 processor: its register file and run state, the region records through
// which it reaches memory, and the operations the rest of the machine drives it with.
// Each machine owns its processor; only the opcode table, which never changes once
// filled, is shared by all.
#pragma once

#include <cstdint>

namespace varno {

// ---------------------------------------------------------------------------
// Region records. A list is an array ended by a record whose first is 0xFFFFFFFF;
// it is searched from the start and the first record with first <= a <= last wins.
// ---------------------------------------------------------------------------

struct BusRegion;

// Device handlers get the 24-bit address and the matching record.
using BusReadHandler = uint32_t (*)(uint32_t address, const BusRegion& region);
using BusWriteHandler = void (*)(uint32_t address, uint32_t data, const BusRegion& region);

struct FetchRegion {
    uint32_t first;
    uint32_t last;        // inclusive
    uintptr_t hostOffset; // host buffer address minus first
};

struct BusRegion {
    uint32_t first;
    uint32_t last;           // inclusive
    BusReadHandler read;     // set in the read lists when the region is a device
    BusWriteHandler write;   // set in the write lists when the region is a device
    uint8_t* hostBase;       // host location of `first` when no handler is set
    void* device = nullptr;  // what the handlers work on: the device of this machine
};

constexpr uint32_t kListEnd = 0xFFFFFFFF;

// ---------------------------------------------------------------------------
// Run results of `execute`. Any other value is the 24-bit address of a RESET
// instruction that ended the run.
// ---------------------------------------------------------------------------

constexpr uint32_t RUN_BUDGET_SPENT = 0x80000000;
constexpr uint32_t RUN_FETCH_FAULT = 0x80000001;
constexpr uint32_t RUN_HALTED = 0xFFFFFFFF;

// SR bits.
constexpr uint16_t SR_T = 0x8000;
constexpr uint16_t SR_S = 0x2000;
constexpr uint16_t SR_MASK = 0x0700;
constexpr uint16_t SR_X = 0x10, SR_N = 0x08, SR_Z = 0x04, SR_V = 0x02, SR_C = 0x01;

// Bit 0 of pendingInterrupts: the processor is stopped (halted when PC is odd).
constexpr uint8_t PENDING_STOPPED = 0x01;

struct Processor;

struct MapSet {
    const FetchRegion* fetchMap;
    const BusRegion* readByteMap;
    const BusRegion* readWordMap;
    const BusRegion* writeByteMap;
    const BusRegion* writeWordMap;
};

// The processor's register file. Between runs other code reads and writes it
// directly; during a run bus handlers may touch D0-D7/A0-A7 only, since PC and
// the condition codes then live in the core's run state.
struct CpuState {
    MapSet current;        // copy of `supervisor` or `user`, chosen by SR's S bit
    MapSet supervisor;
    MapSet user;
    void (*resetHandler)(Processor&); // run by RESET; null ends the run instead
    uint32_t d[8];
    uint32_t a[8];          // a[7] is the active stack pointer
    uint32_t otherStackPointer; // USP in supervisor mode, SSP in user mode
    uint32_t pc;
    uint32_t cycleCounter;  // cycles since the last takeCycles
    uint8_t pendingInterrupts; // bit 0 stopped, bit n level n requested
    uint8_t interruptVectors[7]; // vector for levels 1-7
    uint16_t sr;
};

namespace cpu {

// One cached RAM region of a data list. An access at offset o from `first` fits when
// o < `limit` (bytes or words, by the list's kind) or o < `longLimit` (longs); 0 means empty.
struct RamCache {
    uint32_t first = 0;
    uint32_t limit = 0;
    uint32_t longLimit = 0;
    uint8_t* base = nullptr;
};

// What lives beside the register file while `execute` runs; the core's own.
struct RunState {
    int32_t remaining = -1;  // cycles left in this run, minus one
    int32_t budget = 0;      // budget recorded at run start (re-based by takeCycles)
    int32_t parked = 0;      // cycles set aside while the run is cut short
    uint32_t pc = 0;         // address of the next word to fetch
    // Cached fetch region: the PC's top byte is or-ed into `fetchFirst`, so a change of
    // the top byte misses the cache. A word fits at offsets below `fetchLimit`.
    uint32_t fetchFirst = 0;
    uint32_t fetchLimit = 0;
    uintptr_t fetchBase = 0;  // host location = fetchBase + pc
    // Unpacked condition codes, each 0 or 1.
    uint32_t x = 0, n = 0, z = 0, v = 0, c = 0;
    bool running = false;
    bool fault = false;        // a control transfer reached unmapped memory
    bool tracePending = false;
    bool resetStop = false;    // RESET without handler ends the run
    RamCache readByte, readWord, writeByte, writeWord;
};

} // namespace cpu

// One 68000. Not re-entrant: a bus handler must not run its own processor.
struct Processor {
    Processor();  // fills the shared opcode table the first time
    CpuState cpuState{};
    cpu::RunState rs;
    bool traceSuppressed = false;
};

namespace cpu {

// 0 success; 1 refused (run active, no supervisor fetch list, nothing at address 0);
// RUN_HALTED when the initial PC is odd.
uint32_t reset(Processor& p);
// Runs at least one instruction unless stopped/faulted; see RUN_* for results. A negative
// budget counts as 0; a call from inside a run (a bus handler) is refused with RUN_HALTED.
uint32_t execute(Processor& p, int32_t budget);
// level 1-7; vector 0-255, -1 autovector (24 + level), -2 spurious (24).
// 0 requested, 1 already requested, 2 bad argument.
uint32_t raiseInterrupt(Processor& p, int32_t level, int32_t vector);
// Takes at most one requested interrupt while no run is active.
void serviceInterrupts(Processor& p);
uint32_t readCycles(Processor& p);
uint32_t takeCycles(Processor& p);
// True while `execute` is running (also inside bus handlers).
bool running(Processor& p);
// Switches trace exceptions off (true) or back on. Single-instruction checks against
// recorded chip states use it: those states end before the trace exception.
void suppressTrace(Processor& p, bool suppress);

} // namespace cpu
} // namespace varno
