// Address and register housekeeping.
//   LEA <ea>,An and PEA <ea> (control modes); LINK An,#d16; UNLK An
//   MOVEM.W/L list,<ea> (control alterable or -(An)) and <ea>,list (control or (An)+)
//   SWAP Dn; EXT.W/EXT.L Dn; EXG Dx,Dy / Ax,Ay / Dx,Ay; NOP; TAS <ea> (data alterable)
#include "cpu/alu.h"
#include "cpu/opcode_patterns.h"

namespace varno::cpu {
namespace {

// LEA and PEA cost by mode; PEA adds the push.
template <int M> constexpr int leaTime() {
    switch (M) {
    case kInd: return 4;
    case kDisp: case kAbsW: case kPcDisp: return 8;
    default: return 12;  // indexed, abs.L
    }
}

template <uint16_t Op> struct Lea {
    static constexpr int M = eaOf(Op);
    static constexpr bool legal = isControl(M);
    static void run(Processor& p) {
        p.cpuState.a[field(Op, 11, 9)] = eaAddress<M, regOf(Op), 4>(p);
        charge(p, leaTime<M>());
    }
};

template <uint16_t Op> struct Pea {
    static constexpr int M = eaOf(Op);
    static constexpr bool legal = isControl(M);
    static void run(Processor& p) {
        uint32_t address = eaAddress<M, regOf(Op), 4>(p);
        uint32_t sp = p.cpuState.a[7] - 4;
        p.cpuState.a[7] = sp;
        writeLong(p, sp, address);
        charge(p, leaTime<M>() + 8);
    }
};

template <int M> constexpr int movemBase(bool toRegisters) {
    switch (M) {
    case kInd: case kPostInc: case kPreDec: return toRegisters ? 12 : 8;
    case kDisp: case kAbsW: case kPcDisp: return toRegisters ? 16 : 12;
    case kIndex: case kPcIndex: return toRegisters ? 18 : 14;
    default: return toRegisters ? 20 : 16;  // abs.L
    }
}

inline uint32_t& listRegister(Processor& p, int index) {
    return index < 8 ? p.cpuState.d[index] : p.cpuState.a[index - 8];
}

template <uint16_t Op> struct Movem {
    static constexpr bool ToRegisters = Op & 0x400;
    static constexpr int S = (Op & 0x40) ? 4 : 2;
    static constexpr int M = eaOf(Op);
    static constexpr int R = regOf(Op);
    static constexpr bool legal =
        ToRegisters ? (isControl(M) || M == kPostInc)
                    : ((isControl(M) && M != kPcDisp && M != kPcIndex) || M == kPreDec);
    static void run(Processor& p) {
        uint32_t list = fetchWord(p);
        int count = 0;
        if constexpr (M == kPreDec) {
            // The list is reversed (bit 0 = A7) and the registers are stored from A7 down.
            uint32_t address = p.cpuState.a[R];
            for (int i = 0; i < 16; ++i) {
                if (list >> i & 1) {
                    address -= S;
                    writeMem<S>(p, address, listRegister(p, 15 - i));
                    ++count;
                }
            }
            p.cpuState.a[R] = address;
        } else if constexpr (M == kPostInc) {
            uint32_t address = p.cpuState.a[R];
            for (int i = 0; i < 16; ++i) {
                if (list >> i & 1) {
                    listRegister(p, i) = signExtend<S>(readMem<S>(p, address));
                    address += S;
                    ++count;
                }
            }
            p.cpuState.a[R] = address;
        } else {
            uint32_t address = eaAddress<M, R, S>(p);
            for (int i = 0; i < 16; ++i) {
                if (list >> i & 1) {
                    if constexpr (ToRegisters) listRegister(p, i) = signExtend<S>(readMem<S>(p, address));
                    else writeMem<S>(p, address, listRegister(p, i));
                    address += S;
                    ++count;
                }
            }
        }
        charge(p, movemBase<M>(ToRegisters) + count * (S == 4 ? 8 : 4));
    }
};

template <uint16_t Op> struct Link {
    static constexpr int R = regOf(Op);
    static constexpr bool legal = true;
    static void run(Processor& p) {
        uint32_t disp = signExtend<2>(fetchWord(p));
        // LINK A7 stores A7 as it was before the push.
        uint32_t value = p.cpuState.a[R];
        uint32_t sp = p.cpuState.a[7] - 4;
        p.cpuState.a[7] = sp;
        writeLong(p, sp, value);
        p.cpuState.a[R] = sp;
        p.cpuState.a[7] += disp;
        charge(p, 16);
    }
};

template <uint16_t Op> struct Unlk {
    static constexpr int R = regOf(Op);
    static constexpr bool legal = true;
    static void run(Processor& p) {
        uint32_t sp = p.cpuState.a[R];
        uint32_t value = readLong(p, sp);
        p.cpuState.a[7] = sp + 4;
        p.cpuState.a[R] = value;
        charge(p, 12);
    }
};

template <uint16_t Op> struct Swap {
    static constexpr bool legal = true;
    static void run(Processor& p) {
        uint32_t& d = p.cpuState.d[regOf(Op)];
        d = d << 16 | d >> 16;
        logic<4>(p, d);
        charge(p, 4);
    }
};

template <uint16_t Op> struct Ext {
    static constexpr bool Long = Op & 0x40;
    static constexpr bool legal = true;
    static void run(Processor& p) {
        uint32_t& d = p.cpuState.d[regOf(Op)];
        if constexpr (Long) {
            d = signExtend<2>(d);
            logic<4>(p, d);
        } else {
            writeD<2>(p, regOf(Op), signExtend<1>(d));
            logic<2>(p, d);
        }
        charge(p, 4);
    }
};

template <uint16_t Op> struct Exg {
    static constexpr int Mode = field(Op, 7, 3);
    static constexpr bool legal = Mode == 0x08 || Mode == 0x09 || Mode == 0x11;
    static void run(Processor& p) {
        uint32_t& x = Mode == 0x09 ? p.cpuState.a[field(Op, 11, 9)] : p.cpuState.d[field(Op, 11, 9)];
        uint32_t& y = Mode == 0x08 ? p.cpuState.d[regOf(Op)] : p.cpuState.a[regOf(Op)];
        uint32_t t = x;
        x = y;
        y = t;
        charge(p, 6);
    }
};

template <uint16_t Op> struct Tas {
    static constexpr int M = eaOf(Op);
    static constexpr int R = regOf(Op);
    static constexpr bool legal = isDataAlterable(M);
    static void run(Processor& p) {
        modifyEa<M, R, 1>(p, [&p](uint32_t value) {
            logic<1>(p, value);
            return value | 0x80;
        });
        charge(p, M == kDn ? 4 : 10 + eaTime<M, 1>());
    }
};

void nop(Processor& p) { charge(p, 4); }

} // namespace

void addMiscFamily(Handler* table) {
    addPattern<"0100rrr111mmmxxx", Lea>(table);
    addPattern<"0100100001mmmrrr", Pea>(table);
    addPattern<"01001d001smmmrrr", Movem>(table);
    addPattern<"0100111001010rrr", Link>(table);
    addPattern<"0100111001011rrr", Unlk>(table);
    addPattern<"0100100001000rrr", Swap>(table);
    addPattern<"010010001s000rrr", Ext>(table);
    addPattern<"1100xxx1ooooorrr", Exg>(table);
    addPattern<"0100101011mmmrrr", Tas>(table);
    addPattern<"0100111001110001", Fixed<nop>::Of>(table);
}

} // namespace varno::cpu
