// Logical operations and single-operand tests, shared by the AND, OR and logic family files.
//   AND/OR <ea>,Dn      B/W/L; source data mode
//   AND/OR Dn,<ea>      B/W/L; destination memory alterable
//   EOR Dn,<ea>         B/W/L; destination data alterable
//   ANDI/ORI/EORI #,<ea>  B/W/L; destination data alterable (the #imm slot is the CCR/SR form)
//   NOT <ea>, CLR <ea>  B/W/L; data alterable
//   TST <ea>            B/W/L; data alterable (no An, PC-relative or immediate on the 68000)
#pragma once

#include "cpu/alu.h"
#include "cpu/opcode_patterns.h"

namespace varno::cpu::logical {


enum class Op2 { And, Or, Eor };

template <Op2 K> constexpr uint32_t combine(uint32_t a, uint32_t b) {
    if constexpr (K == Op2::And) return a & b;
    else if constexpr (K == Op2::Or) return a | b;
    else return a ^ b;
}

// Lines 8 (OR), C (AND) and B with opmode 1ss (EOR).
template <uint16_t Op> struct Logic {
    static constexpr Op2 K = (Op >> 12) == 0x8 ? Op2::Or : (Op >> 12) == 0xC ? Op2::And : Op2::Eor;
    static constexpr int Dn = field(Op, 11, 9);
    static constexpr bool ToEa = Op & 0x100;
    static constexpr int S = sizeOf(field(Op, 7, 6));
    static constexpr int M = eaOf(Op);
    static constexpr int R = regOf(Op);
    static constexpr bool legal = S != 0 && (K == Op2::Eor ? ToEa && isDataAlterable(M)
                                             : ToEa ? isMemoryAlterable(M) : isData(M));
    static void run(Processor& p) {
        if constexpr (ToEa) {
            uint32_t source = p.cpuState.d[Dn];
            modifyEa<M, R, S>(p, [&](uint32_t dest) { return logic<S>(p, combine<K>(source, dest)); });
            if constexpr (M == kDn) charge(p, S == 4 ? 8 : 4);
            else charge(p, (S == 4 ? 12 : 8) + eaTime<M, S>());
        } else {
            uint32_t source = readEa<M, R, S>(p);
            writeD<S>(p, Dn, logic<S>(p, combine<K>(source, p.cpuState.d[Dn])));
            constexpr bool quick = M == kDn || M == kImm;
            if constexpr (S != 4) charge(p, 4 + eaTime<M, S>());
            else charge(p, (quick ? 8 : 6) + eaTime<M, S>());
        }
    }
};

// ORI (0x00), ANDI (0x02), EORI (0x0A) to an operand.
template <uint16_t Op> struct LogicImmediate {
    static constexpr int Which = field(Op, 11, 9);
    static constexpr Op2 K = Which == 0 ? Op2::Or : Which == 1 ? Op2::And : Op2::Eor;
    static constexpr int S = sizeOf(field(Op, 7, 6));
    static constexpr int M = eaOf(Op);
    static constexpr int R = regOf(Op);
    static constexpr bool legal = S != 0 && isDataAlterable(M);
    static void run(Processor& p) {
        uint32_t source = fetchImmediate<S>(p);
        modifyEa<M, R, S>(p, [&](uint32_t dest) { return logic<S>(p, combine<K>(source, dest)); });
        if constexpr (M == kDn) charge(p, S == 4 ? 16 : 8);
        else charge(p, (S == 4 ? 20 : 12) + eaTime<M, S>());
    }
};

template <uint16_t Op> struct Not {
    static constexpr int S = sizeOf(field(Op, 7, 6));
    static constexpr int M = eaOf(Op);
    static constexpr int R = regOf(Op);
    static constexpr bool legal = S != 0 && isDataAlterable(M);
    static void run(Processor& p) {
        modifyEa<M, R, S>(p, [&p](uint32_t dest) { return logic<S>(p, ~dest); });
        if constexpr (M == kDn) charge(p, S == 4 ? 6 : 4);
        else charge(p, (S == 4 ? 12 : 8) + eaTime<M, S>());
    }
};

// CLR writes without reading first, so a device register sees only the write.
template <uint16_t Op> struct Clr {
    static constexpr int S = sizeOf(field(Op, 7, 6));
    static constexpr int M = eaOf(Op);
    static constexpr int R = regOf(Op);
    static constexpr bool legal = S != 0 && isDataAlterable(M);
    static void run(Processor& p) {
        writeEa<M, R, S>(p, 0);
        p.rs.n = p.rs.v = p.rs.c = 0;
        p.rs.z = 1;
        if constexpr (M == kDn) charge(p, S == 4 ? 6 : 4);
        else charge(p, (S == 4 ? 12 : 6) + eaTime<M, S>());
    }
};

template <uint16_t Op> struct Tst {
    static constexpr int S = sizeOf(field(Op, 7, 6));
    static constexpr int M = eaOf(Op);
    static constexpr int R = regOf(Op);
    static constexpr bool legal = S != 0 && isDataAlterable(M);
    static void run(Processor& p) {
        logic<S>(p, readEa<M, R, S>(p));
        charge(p, 4 + eaTime<M, S>());
    }
};

} // namespace varno::cpu::logical
