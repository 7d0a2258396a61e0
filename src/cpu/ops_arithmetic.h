// Binary arithmetic, shared by the ADD, SUB and CMP family files.
//   ADD/SUB <ea>,Dn      B/W/L; source any mode (An not for .B)
//   ADD/SUB Dn,<ea>      B/W/L; destination memory alterable
//   CMP <ea>,Dn          B/W/L; source any mode (An not for .B)
//   ADDA/SUBA/CMPA <ea>,An   W/L; source any mode; word sources sign-extended
//   ADDX/SUBX Dy,Dx and -(Ay),-(Ax)   B/W/L
//   CMPM (Ay)+,(Ax)+     B/W/L
//   ADDI/SUBI/CMPI #,<ea>  B/W/L; destination data alterable
//   ADDQ/SUBQ #1-8,<ea>  B/W/L; destination alterable (An not for .B; An takes the whole long, no flags)
//   NEG/NEGX <ea>        B/W/L; data alterable
#pragma once

#include "cpu/alu.h"
#include "cpu/opcode_patterns.h"

namespace varno::cpu::arithmetic {


enum class Kind { Add, Sub, Cmp };

template <Kind K, int S> inline uint32_t compute(Processor& p, uint32_t source, uint32_t dest) {
    if constexpr (K == Kind::Add) return add<S>(p, source, dest);
    else if constexpr (K == Kind::Sub) return sub<S>(p, source, dest);
    else return sub<S, false, true>(p, source, dest);
}

// Lines 9 (SUB), B (CMP, EOR lives in the logic family) and D (ADD).
template <uint16_t Op> struct Arith {
    static constexpr Kind K = (Op >> 12) == 0xD ? Kind::Add : (Op >> 12) == 0x9 ? Kind::Sub : Kind::Cmp;
    static constexpr int OpMode = field(Op, 8, 6);
    static constexpr int Dn = field(Op, 11, 9);
    static constexpr int M = eaOf(Op);
    static constexpr int R = regOf(Op);
    static constexpr bool Address = OpMode == 3 || OpMode == 7;
    static constexpr bool ToMemory = !Address && OpMode >= 4;
    static constexpr int S = Address ? (OpMode == 3 ? 2 : 4) : sizeOf(OpMode & 3);
    static constexpr bool legal = Address ? isAny(M)
                                  : ToMemory ? (K != Kind::Cmp && isMemoryAlterable(M))
                                             : (isAny(M) && !(S == 1 && M == kAn));
    static void run(Processor& p) {
        if constexpr (Address) {
            uint32_t source = signExtend<S>(readEa<M, R, S>(p));
            uint32_t& an = p.cpuState.a[Dn];
            if constexpr (K == Kind::Add) an += source;
            else if constexpr (K == Kind::Sub) an -= source;
            else sub<4, false, true>(p, source, an);
            constexpr bool quick = M == kDn || M == kAn || M == kImm;
            if constexpr (K == Kind::Cmp) charge(p, 6 + eaTime<M, S>());
            else if constexpr (S == 2) charge(p, 8 + eaTime<M, S>());
            else charge(p, (quick ? 8 : 6) + eaTime<M, S>());
        } else if constexpr (ToMemory) {
            uint32_t source = p.cpuState.d[Dn];
            modifyEa<M, R, S>(p, [&](uint32_t dest) { return compute<K, S>(p, source, dest); });
            charge(p, (S == 4 ? 12 : 8) + eaTime<M, S>());
        } else {
            uint32_t source = readEa<M, R, S>(p);
            uint32_t result = compute<K, S>(p, source, p.cpuState.d[Dn]);
            if constexpr (K != Kind::Cmp) writeD<S>(p, Dn, result);
            constexpr bool quick = M == kDn || M == kAn || M == kImm;
            if constexpr (S != 4) charge(p, 4 + eaTime<M, S>());
            else if constexpr (K == Kind::Cmp) charge(p, 6 + eaTime<M, S>());
            else charge(p, (quick ? 8 : 6) + eaTime<M, S>());
        }
    }
};

// ADDX/SUBX: register or predecrement pairs.
template <uint16_t Op> struct Extended {
    static constexpr bool IsAdd = (Op >> 12) == 0xD;
    static constexpr int S = sizeOf(field(Op, 7, 6));
    static constexpr int Rx = field(Op, 11, 9);
    static constexpr int Ry = regOf(Op);
    static constexpr bool Memory = Op & 8;
    static constexpr bool legal = S != 0;
    static void run(Processor& p) {
        if constexpr (Memory) {
            uint32_t source = readMem<S>(p, eaAddress<kPreDec, Ry, S>(p));
            uint32_t address = eaAddress<kPreDec, Rx, S>(p);
            uint32_t dest = readMem<S>(p, address);
            uint32_t result = IsAdd ? add<S, true>(p, source, dest) : sub<S, true>(p, source, dest);
            writeMem<S>(p, address, result);
            charge(p, S == 4 ? 30 : 18);
        } else {
            uint32_t source = p.cpuState.d[Ry], dest = p.cpuState.d[Rx];
            writeD<S>(p, Rx, IsAdd ? add<S, true>(p, source, dest) : sub<S, true>(p, source, dest));
            charge(p, S == 4 ? 8 : 4);
        }
    }
};

template <uint16_t Op> struct Cmpm {
    static constexpr int S = sizeOf(field(Op, 7, 6));
    static constexpr bool legal = S != 0;
    static void run(Processor& p) {
        uint32_t source = readMem<S>(p, eaAddress<kPostInc, regOf(Op), S>(p));
        uint32_t dest = readMem<S>(p, eaAddress<kPostInc, field(Op, 11, 9), S>(p));
        sub<S, false, true>(p, source, dest);
        charge(p, S == 4 ? 20 : 12);
    }
};

// ADDI (0x06), SUBI (0x04), CMPI (0x0C).
template <uint16_t Op> struct Immediate {
    static constexpr int Which = field(Op, 11, 9);
    static constexpr Kind K = Which == 3 ? Kind::Add : Which == 2 ? Kind::Sub : Kind::Cmp;
    static constexpr int S = sizeOf(field(Op, 7, 6));
    static constexpr int M = eaOf(Op);
    static constexpr int R = regOf(Op);
    static constexpr bool legal = S != 0 && isDataAlterable(M);
    static void run(Processor& p) {
        uint32_t source = fetchImmediate<S>(p);
        if constexpr (K == Kind::Cmp) {
            sub<S, false, true>(p, source, readEa<M, R, S>(p));
            if constexpr (M == kDn) charge(p, S == 4 ? 14 : 8);
            else charge(p, (S == 4 ? 12 : 8) + eaTime<M, S>());
        } else {
            modifyEa<M, R, S>(p, [&](uint32_t dest) { return compute<K, S>(p, source, dest); });
            if constexpr (M == kDn) charge(p, S == 4 ? 16 : 8);
            else charge(p, (S == 4 ? 20 : 12) + eaTime<M, S>());
        }
    }
};

template <uint16_t Op> struct Quick {
    static constexpr bool IsAdd = !(Op & 0x100);
    static constexpr uint32_t Data = field(Op, 11, 9) == 0 ? 8 : field(Op, 11, 9);
    static constexpr int S = sizeOf(field(Op, 7, 6));
    static constexpr int M = eaOf(Op);
    static constexpr int R = regOf(Op);
    static constexpr bool legal = S != 0 && isAlterable(M) && !(S == 1 && M == kAn);
    static void run(Processor& p) {
        if constexpr (M == kAn) {
            if constexpr (IsAdd) p.cpuState.a[R] += Data;
            else p.cpuState.a[R] -= Data;
            charge(p, 8);
        } else {
            modifyEa<M, R, S>(p, [&p](uint32_t dest) {
                return IsAdd ? add<S>(p, Data, dest) : sub<S>(p, Data, dest);
            });
            if constexpr (M == kDn) charge(p, S == 4 ? 8 : 4);
            else charge(p, (S == 4 ? 12 : 8) + eaTime<M, S>());
        }
    }
};

// NEGX (0x40) and NEG (0x44).
template <uint16_t Op> struct Negate {
    static constexpr bool WithX = field(Op, 11, 8) == 0;
    static constexpr int S = sizeOf(field(Op, 7, 6));
    static constexpr int M = eaOf(Op);
    static constexpr int R = regOf(Op);
    static constexpr bool legal = S != 0 && isDataAlterable(M);
    static void run(Processor& p) {
        modifyEa<M, R, S>(p, [&p](uint32_t dest) {
            return WithX ? sub<S, true>(p, dest, 0) : sub<S>(p, dest, 0);
        });
        if constexpr (M == kDn) charge(p, S == 4 ? 6 : 4);
        else charge(p, (S == 4 ? 12 : 8) + eaTime<M, S>());
    }
};

} // namespace varno::cpu::arithmetic
