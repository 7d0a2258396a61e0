// The core's private run state: what lives beside CpuState while `execute` runs,
// the opcode table, instruction fetch and the status-register helpers.
#pragma once

#include <cstdint>
#include <cstring>

#include "cpu/cpu.h"

namespace varno::cpu {

using Handler = void (*)();

// One cached RAM region of a data list. An access at offset o from `first` fits when
// o < `limit` (bytes or words, by the list's kind) or o < `longLimit` (longs); 0 means empty.
struct RamCache {
    uint32_t first = 0;
    uint32_t limit = 0;
    uint32_t longLimit = 0;
    uint8_t* base = nullptr;
};

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

extern RunState rs;
extern Handler opcodeTable[65536];

inline uint16_t load16(uintptr_t host) {
    uint16_t v;
    std::memcpy(&v, reinterpret_cast<const void*>(host), 2);
    return v;
}

// Cuts the run short so the loop checks interrupts and trace after this instruction;
// the cycles left are parked and restored afterwards.
inline void cutShort() {
    if (rs.remaining >= 0) {
        rs.parked += rs.remaining + 1;
        rs.remaining = -1;
    }
}

// Looks up `address` in the fetch list and caches the region; on a miss empties the
// cache, sets the fault flag and cuts the run short. Returns false on a miss.
bool lookupFetch(uint32_t address);

inline uint16_t fetchWord() {
    uint32_t p = rs.pc;
    if (p - rs.fetchFirst >= rs.fetchLimit) [[unlikely]] {
        if (!lookupFetch(p)) {
            rs.pc = p + 2;
            return 0;
        }
    }
    rs.pc = p + 2;
    return load16(rs.fetchBase + p);
}

inline uint32_t fetchLong() {
    uint32_t high = fetchWord();
    return high << 16 | fetchWord();
}

// Control transfer through a register, stack or absolute target.
inline void jumpTo(uint32_t target) {
    rs.pc = target;
    if (target - rs.fetchFirst >= rs.fetchLimit) lookupFetch(target);
}

inline void charge(int cycles) { rs.remaining -= cycles; }

inline uint16_t packSR() {
    return static_cast<uint16_t>((cpuState.sr & 0xFF00) | rs.x << 4 | rs.n << 3 | rs.z << 2 |
                                 rs.v << 1 | rs.c);
}

inline void setCCR(uint32_t value) {
    rs.x = value >> 4 & 1;
    rs.n = value >> 3 & 1;
    rs.z = value >> 2 & 1;
    rs.v = value >> 1 & 1;
    rs.c = value & 1;
}

inline bool supervisor() { return (cpuState.sr & SR_S) != 0; }

// Installs the map set of the mode SR's S bit selects and drops the caches.
void selectMaps();
// Writes SR as MOVE to SR, RTE and STOP do: T, S and the mask kept in the high byte,
// stacks and maps exchanged when S changes.
void writeSR(uint32_t value);
// Exception entry with `rs.pc` as the stacked PC.
void enterException(uint32_t vector);
// Exceptions raised by the instruction whose opcode has just been fetched, stacking
// the instruction's own address.
void illegalInstruction();
void privilegeViolation();
void lineA();
void lineF();

} // namespace varno::cpu
