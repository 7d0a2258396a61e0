// Data access through the current map lists: a cached fast path for RAM regions,
// the list walk, handler calls and the split rules for accesses at region ends.
#pragma once

#include <cstdint>

#include "cpu/run_state.h"

namespace varno::cpu {

uint32_t readByteSlow(Processor& p, uint32_t address);
uint32_t readWordSlow(Processor& p, uint32_t address);
uint32_t readLongSlow(Processor& p, uint32_t address);
void writeByteSlow(Processor& p, uint32_t address, uint32_t value);
void writeWordSlow(Processor& p, uint32_t address, uint32_t value);
void writeLongSlow(Processor& p, uint32_t address, uint32_t value);
void clearDataCaches(Processor& p);

// Word and long accesses drop address bit 0: the 68000 never makes them at odd
// addresses without an address error, which this core does not raise.
constexpr uint32_t kByteMask = 0xFFFFFF;
constexpr uint32_t kWordMask = 0xFFFFFE;

inline uint32_t readByte(Processor& p, uint32_t address) {
    address &= kByteMask;
    uint32_t offset = address - p.rs.readByte.first;
    if (offset < p.rs.readByte.limit) [[likely]] return p.rs.readByte.base[offset ^ 1];
    return readByteSlow(p, address);
}

inline uint32_t readWord(Processor& p, uint32_t address) {
    address &= kWordMask;
    uint32_t offset = address - p.rs.readWord.first;
    if (offset < p.rs.readWord.limit) [[likely]]
        return load16(reinterpret_cast<uintptr_t>(p.rs.readWord.base + offset));
    return readWordSlow(p, address);
}

inline uint32_t readLong(Processor& p, uint32_t address) {
    address &= kWordMask;
    uint32_t offset = address - p.rs.readWord.first;
    if (offset < p.rs.readWord.longLimit) [[likely]] {
        uintptr_t host = reinterpret_cast<uintptr_t>(p.rs.readWord.base + offset);
        return static_cast<uint32_t>(load16(host)) << 16 | load16(host + 2);
    }
    return readLongSlow(p, address);
}

inline void store16(uint8_t* host, uint32_t value) {
    uint16_t v = static_cast<uint16_t>(value);
    std::memcpy(host, &v, 2);
}

inline void writeByte(Processor& p, uint32_t address, uint32_t value) {
    address &= kByteMask;
    uint32_t offset = address - p.rs.writeByte.first;
    if (offset < p.rs.writeByte.limit) [[likely]] {
        p.rs.writeByte.base[offset ^ 1] = static_cast<uint8_t>(value);
        return;
    }
    writeByteSlow(p, address, value);
}

inline void writeWord(Processor& p, uint32_t address, uint32_t value) {
    address &= kWordMask;
    uint32_t offset = address - p.rs.writeWord.first;
    if (offset < p.rs.writeWord.limit) [[likely]] {
        store16(p.rs.writeWord.base + offset, value);
        return;
    }
    writeWordSlow(p, address, value);
}

inline void writeLong(Processor& p, uint32_t address, uint32_t value) {
    address &= kWordMask;
    uint32_t offset = address - p.rs.writeWord.first;
    if (offset < p.rs.writeWord.longLimit) [[likely]] {
        store16(p.rs.writeWord.base + offset, value >> 16);
        store16(p.rs.writeWord.base + offset + 2, value);
        return;
    }
    writeLongSlow(p, address, value);
}

template <int S> inline uint32_t readMem(Processor& p, uint32_t address) {
    if constexpr (S == 1) return readByte(p, address);
    else if constexpr (S == 2) return readWord(p, address);
    else return readLong(p, address);
}

template <int S> inline void writeMem(Processor& p, uint32_t address, uint32_t value) {
    if constexpr (S == 1) writeByte(p, address, value);
    else if constexpr (S == 2) writeWord(p, address, value);
    else writeLong(p, address, value);
}

} // namespace varno::cpu
