// Data access through the current map lists: a cached fast path for RAM regions,
// the list walk, handler calls and the split rules for accesses at region ends.
#pragma once

#include <cstdint>

#include "cpu/run_state.h"

namespace varno::cpu {

uint32_t readByteSlow(uint32_t address);
uint32_t readWordSlow(uint32_t address);
uint32_t readLongSlow(uint32_t address);
void writeByteSlow(uint32_t address, uint32_t value);
void writeWordSlow(uint32_t address, uint32_t value);
void writeLongSlow(uint32_t address, uint32_t value);
void clearDataCaches();

// Word and long accesses drop address bit 0: the 68000 never makes them at odd
// addresses without an address error, which this core does not raise.
constexpr uint32_t kByteMask = 0xFFFFFF;
constexpr uint32_t kWordMask = 0xFFFFFE;

inline uint32_t readByte(uint32_t address) {
    address &= kByteMask;
    uint32_t offset = address - rs.readByte.first;
    if (offset < rs.readByte.limit) [[likely]] return rs.readByte.base[offset ^ 1];
    return readByteSlow(address);
}

inline uint32_t readWord(uint32_t address) {
    address &= kWordMask;
    uint32_t offset = address - rs.readWord.first;
    if (offset < rs.readWord.limit) [[likely]]
        return load16(reinterpret_cast<uintptr_t>(rs.readWord.base + offset));
    return readWordSlow(address);
}

inline uint32_t readLong(uint32_t address) {
    address &= kWordMask;
    uint32_t offset = address - rs.readWord.first;
    if (offset < rs.readWord.longLimit) [[likely]] {
        uintptr_t host = reinterpret_cast<uintptr_t>(rs.readWord.base + offset);
        return static_cast<uint32_t>(load16(host)) << 16 | load16(host + 2);
    }
    return readLongSlow(address);
}

inline void store16(uint8_t* host, uint32_t value) {
    uint16_t v = static_cast<uint16_t>(value);
    std::memcpy(host, &v, 2);
}

inline void writeByte(uint32_t address, uint32_t value) {
    address &= kByteMask;
    uint32_t offset = address - rs.writeByte.first;
    if (offset < rs.writeByte.limit) [[likely]] {
        rs.writeByte.base[offset ^ 1] = static_cast<uint8_t>(value);
        return;
    }
    writeByteSlow(address, value);
}

inline void writeWord(uint32_t address, uint32_t value) {
    address &= kWordMask;
    uint32_t offset = address - rs.writeWord.first;
    if (offset < rs.writeWord.limit) [[likely]] {
        store16(rs.writeWord.base + offset, value);
        return;
    }
    writeWordSlow(address, value);
}

inline void writeLong(uint32_t address, uint32_t value) {
    address &= kWordMask;
    uint32_t offset = address - rs.writeWord.first;
    if (offset < rs.writeWord.longLimit) [[likely]] {
        store16(rs.writeWord.base + offset, value >> 16);
        store16(rs.writeWord.base + offset + 2, value);
        return;
    }
    writeLongSlow(address, value);
}

template <int S> inline uint32_t readMem(uint32_t address) {
    if constexpr (S == 1) return readByte(address);
    else if constexpr (S == 2) return readWord(address);
    else return readLong(address);
}

template <int S> inline void writeMem(uint32_t address, uint32_t value) {
    if constexpr (S == 1) writeByte(address, value);
    else if constexpr (S == 2) writeWord(address, value);
    else writeLong(address, value);
}

} // namespace varno::cpu
