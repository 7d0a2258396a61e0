// The core's private side: the opcode table, instruction fetch and the status-register helpers.
#pragma once

#include <cstdint>
#include <cstring>

#include "cpu/cpu.h"

namespace varno::cpu {

using Handler = void (*)(Processor& p);

extern Handler opcodeTable[65536];

inline uint16_t load16(uintptr_t host) {
    uint16_t v;
    std::memcpy(&v, reinterpret_cast<const void*>(host), 2);
    return v;
}

// Cuts the run short so the loop checks interrupts and trace after this instruction;
// the cycles left are parked and restored afterwards.
inline void cutShort(Processor& p) {
    if (p.rs.remaining >= 0) {
        p.rs.parked += p.rs.remaining + 1;
        p.rs.remaining = -1;
    }
}

// Looks up `address` in the fetch list and caches the region; on a miss empties the
// cache, sets the fault flag and cuts the run short. Returns false on a miss.
bool lookupFetch(Processor& p, uint32_t address);

// Forced inline, like `indexed`: the compiler left these out of line in the larger
// handlers, where the calls cost a few percent of a synthesis song's fast-forward.
[[gnu::always_inline]] inline uint16_t fetchWord(Processor& p) {
    uint32_t pc = p.rs.pc;
    if (pc - p.rs.fetchFirst >= p.rs.fetchLimit) [[unlikely]] {
        if (!lookupFetch(p, pc)) {
            p.rs.pc = pc + 2;
            return 0;
        }
    }
    p.rs.pc = pc + 2;
    return load16(p.rs.fetchBase + pc);
}

[[gnu::always_inline]] inline uint32_t fetchLong(Processor& p) {
    uint32_t high = fetchWord(p);
    return high << 16 | fetchWord(p);
}

// Control transfer through a register, stack or absolute target.
inline void jumpTo(Processor& p, uint32_t target) {
    p.rs.pc = target;
    if (target - p.rs.fetchFirst >= p.rs.fetchLimit) lookupFetch(p, target);
}

inline void charge(Processor& p, int cycles) { p.rs.remaining -= cycles; }

inline uint16_t packSR(Processor& p) {
    return static_cast<uint16_t>((p.cpuState.sr & 0xFF00) | p.rs.x << 4 | p.rs.n << 3 | p.rs.z << 2 |
                                 p.rs.v << 1 | p.rs.c);
}

inline void setCCR(Processor& p, uint32_t value) {
    p.rs.x = value >> 4 & 1;
    p.rs.n = value >> 3 & 1;
    p.rs.z = value >> 2 & 1;
    p.rs.v = value >> 1 & 1;
    p.rs.c = value & 1;
}

inline bool supervisor(Processor& p) { return (p.cpuState.sr & SR_S) != 0; }

// Installs the map set of the mode SR's S bit selects and drops the caches.
void selectMaps(Processor& p);
// Writes SR as MOVE to SR, RTE and STOP do: T, S and the mask kept in the high byte,
// stacks and maps exchanged when S changes.
void writeSR(Processor& p, uint32_t value);
// Exception entry with `p.rs.pc` as the stacked PC.
void enterException(Processor& p, uint32_t vector);
// Exceptions raised by the instruction whose opcode has just been fetched, stacking
// the instruction's own address.
void illegalInstruction(Processor& p);
void privilegeViolation(Processor& p);
void lineA(Processor& p);
void lineF(Processor& p);

} // namespace varno::cpu
