// Multiply and divide, word operands.
//   MULU/MULS <ea>,Dn   16 x 16 -> 32; source data mode
//   DIVU/DIVS <ea>,Dn   32 / 16 -> 16-bit quotient and remainder; source data mode
// Divide times are fixed at 133 (DIVU) and 150 (DIVS) plus the source's time whatever the
// operands, a rule of this core in place of the chip's data-dependent count.
#include "cpu/alu.h"
#include "cpu/opcode_patterns.h"

namespace varno::cpu {
namespace {

// The set bits of a 16-bit value, in plain arithmetic: std::popcount becomes a
// library call on processors the build does not assume to count bits.
constexpr int ones16(uint32_t x) {
    x = x - (x >> 1 & 0x5555);
    x = (x & 0x3333) + (x >> 2 & 0x3333);
    x = (x + (x >> 4)) & 0x0F0F;
    return int((x + (x >> 8)) & 0x1F);
}
static_assert(ones16(0) == 0 && ones16(0xFFFF) == 16 && ones16(0x8001) == 2 && ones16(0x5555) == 8);

template <uint16_t Op> struct Multiply {
    static constexpr bool Signed = Op & 0x100;
    static constexpr int Dn = field(Op, 11, 9);
    static constexpr int M = eaOf(Op);
    static constexpr int R = regOf(Op);
    static constexpr bool legal = isData(M);
    static void run(Processor& p) {
        uint32_t source = readEa<M, R, 2>(p);
        uint32_t result;
        int ones;
        if constexpr (Signed) {
            result = static_cast<uint32_t>(static_cast<int16_t>(source) *
                                           static_cast<int16_t>(p.cpuState.d[Dn]));
            // Each 01 or 10 pair in the source with a 0 below it costs 2.
            uint32_t pairs = (source << 1) ^ (source << 2);
            ones = ones16((pairs >> 1) & 0xFFFF);
        } else {
            result = source * (p.cpuState.d[Dn] & 0xFFFF);
            ones = ones16(source);
        }
        p.cpuState.d[Dn] = result;
        logic<4>(p, result);
        charge(p, 38 + 2 * ones + eaTime<M, 2>());
    }
};

template <uint16_t Op> struct Divide {
    static constexpr bool Signed = Op & 0x100;
    static constexpr int Dn = field(Op, 11, 9);
    static constexpr int M = eaOf(Op);
    static constexpr int R = regOf(Op);
    static constexpr bool legal = isData(M);
    static void run(Processor& p) {
        uint32_t source = readEa<M, R, 2>(p);
        uint32_t dividend = p.cpuState.d[Dn];
        if (source == 0) {
            p.rs.c = 0;
            enterException(p, 5);
            charge(p, 38 + eaTime<M, 2>());
            return;
        }
        p.rs.c = 0;
        if constexpr (Signed) {
            int64_t quotient = static_cast<int64_t>(static_cast<int32_t>(dividend)) / static_cast<int16_t>(source);
            int64_t remainder = static_cast<int64_t>(static_cast<int32_t>(dividend)) % static_cast<int16_t>(source);
            if (quotient < -32768 || quotient > 32767) {
                p.rs.v = 1;
                p.rs.n = 1;
                p.rs.z = 0;
            } else {
                p.cpuState.d[Dn] = static_cast<uint32_t>(remainder) << 16 | (static_cast<uint32_t>(quotient) & 0xFFFF);
                setNZ<2>(p, static_cast<uint32_t>(quotient));
                p.rs.v = 0;
            }
            charge(p, 150 + eaTime<M, 2>());
        } else {
            uint32_t quotient = dividend / source, remainder = dividend % source;
            if (quotient > 0xFFFF) {
                p.rs.v = 1;
                p.rs.n = 1;
                p.rs.z = 0;
            } else {
                p.cpuState.d[Dn] = remainder << 16 | quotient;
                setNZ<2>(p, quotient);
                p.rs.v = 0;
            }
            charge(p, 133 + eaTime<M, 2>());
        }
    }
};

} // namespace

void addMultiplyFamily(Handler* table) {
    addPattern<"1100rrrs11mmmxxx", Multiply>(table);
    addPattern<"1000rrrs11mmmxxx", Divide>(table);
}

} // namespace varno::cpu
