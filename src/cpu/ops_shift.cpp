// Shifts and rotates.
//   ASL/ASR/LSL/LSR/ROXL/ROXR/ROL/ROR #1-8,Dy and Dx,Dy   B/W/L; count from Dx is taken mod 64
//   the same on <ea>     word only, one position; memory alterable
#include "cpu/alu.h"
#include "cpu/opcode_patterns.h"

namespace varno::cpu {
namespace {

enum class Shift { As, Ls, Rox, Ro };

// Shifts `value` (masked to S bytes) by `count` and sets the flags.
template <Shift K, bool Left, int S> inline uint32_t shift(Processor& p, uint32_t value, uint32_t count) {
    constexpr uint32_t mask = kMask<S>, sign = kSign<S>;
    constexpr int bits = kBits<S>;
    value &= mask;
    uint32_t carry = 0;
    p.rs.v = 0;
    if (count == 0) {
        if constexpr (K == Shift::Rox) carry = p.rs.x;
        p.rs.c = carry;
        setNZ<S>(p, value);
        return value;
    }
    if constexpr (K == Shift::As || K == Shift::Ls) {
        if constexpr (Left) {
            if constexpr (K == Shift::As) {
                // V: the sign bit changed at any point of the shift.
                if (count >= static_cast<uint32_t>(bits)) {
                    p.rs.v = value != 0;
                } else {
                    uint32_t span = (mask << (bits - 1 - count)) & mask;
                    uint32_t top = value & span;
                    p.rs.v = top != 0 && top != span;
                }
            }
            carry = count > static_cast<uint32_t>(bits) ? 0 : (static_cast<uint64_t>(value) << count) >> bits & 1;
            value = count >= static_cast<uint32_t>(bits) ? 0 : (value << count) & mask;
        } else {
            int64_t wide = value;
            if (K == Shift::As && (value & sign)) wide -= int64_t{1} << bits;
            uint32_t n = count > static_cast<uint32_t>(bits) ? bits + 1 : count;
            carry = static_cast<uint32_t>(wide >> (n - 1)) & 1;
            value = static_cast<uint32_t>(wide >> n) & mask;
        }
        p.rs.x = carry;
    } else if constexpr (K == Shift::Ro) {
        uint32_t n = count % bits;
        if (n) {
            value = Left ? ((value << n) | (value >> (bits - n))) & mask
                         : ((value >> n) | (value << (bits - n))) & mask;
        }
        carry = Left ? value & 1 : value >> (bits - 1) & 1;
    } else {
        // ROX rotates through X: a rotate of bits + 1 positions.
        uint32_t n = count % (bits + 1);
        uint64_t wide = static_cast<uint64_t>(p.rs.x) << bits | value;
        constexpr int width = bits + 1;
        constexpr uint64_t wideMask = (uint64_t{1} << width) - 1;
        if (n) {
            wide = Left ? ((wide << n) | (wide >> (width - n))) & wideMask
                        : ((wide >> n) | (wide << (width - n))) & wideMask;
        }
        value = static_cast<uint32_t>(wide) & mask;
        carry = static_cast<uint32_t>(wide >> bits) & 1;
        p.rs.x = carry;
    }
    p.rs.c = carry;
    setNZ<S>(p, value);
    return value;
}

constexpr Shift kindOf(int bits) {
    return bits == 0 ? Shift::As : bits == 1 ? Shift::Ls : bits == 2 ? Shift::Rox : Shift::Ro;
}

template <uint16_t Op> struct ShiftRegister {
    static constexpr int S = sizeOf(field(Op, 7, 6));
    static constexpr Shift K = kindOf(field(Op, 4, 3));
    static constexpr bool Left = Op & 0x100;
    static constexpr bool FromRegister = Op & 0x20;
    static constexpr int Count = field(Op, 11, 9);
    static constexpr int Dy = regOf(Op);
    static constexpr bool legal = S != 0;
    static void run(Processor& p) {
        uint32_t count = FromRegister ? p.cpuState.d[Count] & 63 : (Count == 0 ? 8 : Count);
        writeD<S>(p, Dy, shift<K, Left, S>(p, p.cpuState.d[Dy], count));
        charge(p, (S == 4 ? 8 : 6) + 2 * static_cast<int>(count));
    }
};

template <uint16_t Op> struct ShiftMemory {
    static constexpr Shift K = kindOf(field(Op, 10, 9));
    static constexpr bool Left = Op & 0x100;
    static constexpr int M = eaOf(Op);
    static constexpr int R = regOf(Op);
    static constexpr bool legal = isMemoryAlterable(M);
    static void run(Processor& p) {
        modifyEa<M, R, 2>(p, [&p](uint32_t value) { return shift<K, Left, 2>(p, value, 1); });
        charge(p, 8 + eaTime<M, 2>());
    }
};

} // namespace

void addShiftFamily(Handler* table) {
    addPattern<"1110cccdssittrrr", ShiftRegister>(table);
    addPattern<"11100ttd11mmmrrr", ShiftMemory>(table);
}

} // namespace varno::cpu
