// Single-bit operations and MOVEP.
//   BTST/BCHG/BCLR/BSET Dn,<ea> and #,<ea>: on Dn the bit number is taken mod 32 (long),
//   in memory mod 8 (byte). BTST allows every data mode (Dn,#imm too; #,<ea> not #imm);
//   the others need data alterable.
//   MOVEP.W/L Dx,d16(Ay) and d16(Ay),Dx: bytes at every other address.
#include "cpu/alu.h"
#include "cpu/opcode_patterns.h"

namespace varno::cpu {
namespace {

enum class Bit { Tst, Chg, Clr, Set };

template <Bit K> inline uint32_t apply(Processor& p, uint32_t value, uint32_t mask) {
    p.rs.z = (value & mask) == 0;
    if constexpr (K == Bit::Chg) return value ^ mask;
    else if constexpr (K == Bit::Clr) return value & ~mask;
    else if constexpr (K == Bit::Set) return value | mask;
    else return value;
}

template <uint16_t Op> struct BitOp {
    static constexpr Bit K = static_cast<Bit>(field(Op, 7, 6));
    static constexpr bool Static = !(Op & 0x100);
    static constexpr int M = eaOf(Op);
    static constexpr int R = regOf(Op);
    static constexpr bool legal = K == Bit::Tst ? (Static ? isData(M) && M != kImm : isData(M))
                                                : isDataAlterable(M);
    static void run(Processor& p) {
        uint32_t number = Static ? fetchWord(p) : p.cpuState.d[field(Op, 11, 9)];
        if constexpr (M == kDn) {
            number &= 31;
            uint32_t& d = p.cpuState.d[R];
            d = apply<K>(p, d, 1u << number);
            // Manual: BCHG/BSET Dn 8 and BCLR Dn 10 at most; the chip saves 2 below bit 16.
            int extra = number < 16 ? 0 : 2;
            int base = K == Bit::Tst ? 6 : K == Bit::Clr ? 8 + extra : 6 + extra;
            charge(p, Static ? base + 4 : base);
        } else {
            number &= 7;
            if constexpr (K == Bit::Tst) {
                apply<K>(p, readEa<M, R, 1>(p), 1u << number);
                // BTST Dn,#imm takes 10, not the 8 the table's sum gives.
                charge(p, M == kImm ? 10 : (Static ? 8 : 4) + eaTime<M, 1>());
            } else {
                modifyEa<M, R, 1>(p, [&](uint32_t value) { return apply<K>(p, value, 1u << number); });
                charge(p, (Static ? 12 : 8) + eaTime<M, 1>());
            }
        }
    }
};

template <uint16_t Op> struct Movep {
    static constexpr bool Long = Op & 0x40;
    static constexpr bool ToMemory = Op & 0x80;
    static constexpr int Dx = field(Op, 11, 9);
    static constexpr int Ay = regOf(Op);
    static constexpr bool legal = true;
    static void run(Processor& p) {
        uint32_t address = p.cpuState.a[Ay] + signExtend<2>(fetchWord(p));
        constexpr int count = Long ? 4 : 2;
        if constexpr (ToMemory) {
            uint32_t value = p.cpuState.d[Dx];
            for (int i = count - 1; i >= 0; --i, address += 2) writeByte(p, address, value >> (8 * i));
        } else {
            uint32_t value = 0;
            for (int i = 0; i < count; ++i, address += 2) value = value << 8 | readByte(p, address);
            writeD<Long ? 4 : 2>(p, Dx, value);
        }
        charge(p, Long ? 24 : 16);
    }
};

} // namespace

void addBitFamily(Handler* table) {
    addPattern<"0000rrr1oommmxxx", BitOp>(table);
    addPattern<"00001000oommmxxx", BitOp>(table);
    addPattern<"0000rrr1oo001xxx", Movep>(table);
}

} // namespace varno::cpu
