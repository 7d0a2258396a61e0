// Binary-coded decimal.
//   ABCD/SBCD Dy,Dx and -(Ay),-(Ax); NBCD <ea> (data alterable). Byte only; Z is only cleared.
// V follows the chip: set when the decimal correction turns bit 7 on (ABCD) or off (SBCD, NBCD).
#include "cpu/alu.h"
#include "cpu/opcode_patterns.h"

namespace varno::cpu {
namespace {

// The chip corrects the low digit when it overflowed and the high digit only when the
// binary sum exceeded 0x99, which decides C as well.
uint32_t addDecimal(Processor& p, uint32_t source, uint32_t dest) {
    uint32_t binary = source + dest + p.rs.x;
    uint32_t result = binary;
    if ((source & 0x0F) + (dest & 0x0F) + p.rs.x > 9) result += 6;
    p.rs.c = p.rs.x = binary > 0x99;
    if (p.rs.c) result += 0x60;
    p.rs.v = (~binary & result) >> 7 & 1;
    result &= 0xFF;
    p.rs.n = result >> 7;
    if (result) p.rs.z = 0;
    return result;
}

// The high digit is corrected only when the binary difference borrowed; C is set when
// either correction leaves the result below zero.
uint32_t subDecimal(Processor& p, uint32_t source, uint32_t dest) {
    int32_t binary = static_cast<int32_t>(dest) - static_cast<int32_t>(source) - static_cast<int32_t>(p.rs.x);
    int32_t result = binary;
    if (static_cast<int32_t>(dest & 0x0F) - static_cast<int32_t>(source & 0x0F) - static_cast<int32_t>(p.rs.x) < 0)
        result -= 6;
    if (binary < 0) result -= 0x60;
    p.rs.c = p.rs.x = result < 0;
    p.rs.v = (static_cast<uint32_t>(binary) & ~static_cast<uint32_t>(result)) >> 7 & 1;
    uint32_t value = static_cast<uint32_t>(result) & 0xFF;
    p.rs.n = value >> 7;
    if (value) p.rs.z = 0;
    return value;
}

template <uint16_t Op> struct Decimal {
    static constexpr bool IsAdd = (Op >> 12) == 0xC;
    static constexpr int Rx = field(Op, 11, 9);
    static constexpr int Ry = regOf(Op);
    static constexpr bool Memory = Op & 8;
    static constexpr bool legal = true;
    static void run(Processor& p) {
        if constexpr (Memory) {
            uint32_t source = readByte(p, eaAddress<kPreDec, Ry, 1>(p));
            uint32_t address = eaAddress<kPreDec, Rx, 1>(p);
            uint32_t dest = readByte(p, address);
            writeByte(p, address, IsAdd ? addDecimal(p, source, dest) : subDecimal(p, source, dest));
            charge(p, 18);
        } else {
            uint32_t source = p.cpuState.d[Ry] & 0xFF, dest = p.cpuState.d[Rx] & 0xFF;
            writeD<1>(p, Rx, IsAdd ? addDecimal(p, source, dest) : subDecimal(p, source, dest));
            charge(p, 6);
        }
    }
};

template <uint16_t Op> struct Nbcd {
    static constexpr int M = eaOf(Op);
    static constexpr int R = regOf(Op);
    static constexpr bool legal = isDataAlterable(M);
    static void run(Processor& p) {
        modifyEa<M, R, 1>(p, [&p](uint32_t value) { return subDecimal(p, value, 0); });
        charge(p, M == kDn ? 6 : 8 + eaTime<M, 1>());
    }
};

} // namespace

void addBcdFamily(Handler* table) {
    addPattern<"1100xxx10000myyy", Decimal>(table);
    addPattern<"1000xxx10000myyy", Decimal>(table);
    addPattern<"0100100000mmmrrr", Nbcd>(table);
}

} // namespace varno::cpu
