// Effective addresses, specialised at compile time by mode, register and size.
// Modes are numbered 0-11: Dn, An, (An), (An)+, -(An), d16(An), d8(An,Xn), abs.W,
// abs.L, d16(PC), d8(PC,Xn), #imm (the manual's mode 7 sub-modes follow mode 6).
#pragma once

#include <cstdint>

#include "cpu/bus.h"

namespace varno::cpu {

enum EaMode : int {
    kDn = 0, kAn, kInd, kPostInc, kPreDec, kDisp, kIndex, kAbsW, kAbsL, kPcDisp, kPcIndex, kImm,
    kNoEa = -1
};

// Mode number of the six low bits of an opcode, kNoEa for the unused mode-7 codes.
constexpr int eaMode(unsigned field) {
    unsigned mode = field >> 3 & 7, reg = field & 7;
    if (mode < 7) return static_cast<int>(mode);
    return reg <= 4 ? 7 + static_cast<int>(reg) : kNoEa;
}

// The manual's addressing categories.
constexpr bool isData(int m) { return m != kNoEa && m != kAn; }
constexpr bool isMemory(int m) { return m >= kInd; }
constexpr bool isAlterable(int m) { return m >= kDn && m <= kAbsL; }
constexpr bool isDataAlterable(int m) { return isAlterable(m) && m != kAn; }
constexpr bool isMemoryAlterable(int m) { return m >= kInd && m <= kAbsL; }
constexpr bool isControl(int m) {
    return m == kInd || (m >= kDisp && m <= kPcIndex);
}
constexpr bool isAny(int m) { return m != kNoEa; }

template <int S> constexpr uint32_t kMask = S == 1 ? 0xFFu : S == 2 ? 0xFFFFu : 0xFFFFFFFFu;
template <int S> constexpr uint32_t kSign = S == 1 ? 0x80u : S == 2 ? 0x8000u : 0x80000000u;
template <int S> constexpr int kBits = S * 8;

// Effective-address calculation time from the manual's table (byte/word, long).
template <int M, int S> constexpr int eaTime() {
    constexpr bool l = S == 4;
    switch (M) {
    case kInd: case kPostInc: return l ? 8 : 4;
    case kPreDec: return l ? 10 : 6;
    case kDisp: case kAbsW: case kPcDisp: return l ? 12 : 8;
    case kIndex: case kPcIndex: return l ? 14 : 10;
    case kAbsL: return l ? 16 : 12;
    case kImm: return l ? 8 : 4;
    default: return 0;
    }
}

template <int S> inline void writeD(Processor& p, int r, uint32_t value) {
    if constexpr (S == 4) p.cpuState.d[r] = value;
    else p.cpuState.d[r] = (p.cpuState.d[r] & ~kMask<S>) | (value & kMask<S>);
}

template <int S> inline uint32_t signExtend(uint32_t value) {
    if constexpr (S == 1) return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(value)));
    else if constexpr (S == 2) return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(value)));
    else return value;
}

// Brief extension word: d8 plus a sign-extended word or a whole long index register.
[[gnu::always_inline]] inline uint32_t indexed(Processor& p, uint32_t base) {
    uint32_t ext = fetchWord(p);
    unsigned r = ext >> 12 & 7;
    uint32_t index = (ext & 0x8000) ? p.cpuState.a[r] : p.cpuState.d[r];
    if (!(ext & 0x800)) index = signExtend<2>(index);
    return base + signExtend<1>(ext) + index;
}

// (An)+ and -(An) on bytes step A7 by 2 to keep the stack even.
template <int R, int S> constexpr uint32_t kStep = (S == 1 && R == 7) ? 2 : S;

template <int M, int R, int S> inline uint32_t eaAddress(Processor& p) {
    if constexpr (M == kInd) {
        return p.cpuState.a[R];
    } else if constexpr (M == kPostInc) {
        uint32_t address = p.cpuState.a[R];
        p.cpuState.a[R] = address + kStep<R, S>;
        return address;
    } else if constexpr (M == kPreDec) {
        return p.cpuState.a[R] -= kStep<R, S>;
    } else if constexpr (M == kDisp) {
        uint32_t base = p.cpuState.a[R];
        return base + signExtend<2>(fetchWord(p));
    } else if constexpr (M == kIndex) {
        return indexed(p, p.cpuState.a[R]);
    } else if constexpr (M == kAbsW) {
        return signExtend<2>(fetchWord(p));
    } else if constexpr (M == kAbsL) {
        return fetchLong(p);
    } else if constexpr (M == kPcDisp) {
        uint32_t base = p.rs.pc;
        return base + signExtend<2>(fetchWord(p));
    } else {
        static_assert(M == kPcIndex, "mode has no address");
        return indexed(p, p.rs.pc);
    }
}

template <int S> inline uint32_t fetchImmediate(Processor& p) {
    if constexpr (S == 1) return fetchWord(p) & 0xFF;
    else if constexpr (S == 2) return fetchWord(p);
    else return fetchLong(p);
}

template <int M, int R, int S> inline uint32_t readEa(Processor& p) {
    if constexpr (M == kDn) return p.cpuState.d[R] & kMask<S>;
    else if constexpr (M == kAn) return p.cpuState.a[R] & kMask<S>;
    else if constexpr (M == kImm) return fetchImmediate<S>(p);
    else return readMem<S>(p, eaAddress<M, R, S>(p));
}

template <int M, int R, int S> inline void writeEa(Processor& p, uint32_t value) {
    if constexpr (M == kDn) writeD<S>(p, R, value);
    else writeMem<S>(p, eaAddress<M, R, S>(p), value);
}

// Read-modify-write on a data-alterable operand: `op` maps the old value to the new.
template <int M, int R, int S, typename Op> inline void modifyEa(Processor& p, Op op) {
    if constexpr (M == kDn) {
        writeD<S>(p, R, op(p.cpuState.d[R] & kMask<S>));
    } else {
        uint32_t address = eaAddress<M, R, S>(p);
        uint32_t value = op(readMem<S>(p, address));
        writeMem<S>(p, address, value);
    }
}

// Decoding helpers for the opcode templates.
constexpr int field(unsigned op, int high, int low) {
    return static_cast<int>(op >> low & ((1u << (high - low + 1)) - 1));
}
constexpr int eaOf(unsigned op) { return eaMode(op & 0x3F); }
constexpr int regOf(unsigned op) { return static_cast<int>(op & 7); }
// The two-bit size field 00/01/10 as a byte count, 0 for 11.
constexpr int sizeOf(unsigned bits) { return bits == 0 ? 1 : bits == 1 ? 2 : bits == 2 ? 4 : 0; }

} // namespace varno::cpu
