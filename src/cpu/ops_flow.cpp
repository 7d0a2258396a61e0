// Program flow.
//   Bcc/BRA/BSR with 8- or 16-bit displacement; DBcc Dn,d16; Scc <ea> (data alterable, byte)
//   JMP/JSR <ea> (control modes); RTS; RTR
//   TRAP #n; TRAPV; CHK <ea>,Dn (word; source data mode)
#include "cpu/alu.h"
#include "cpu/opcode_patterns.h"

namespace varno::cpu {
namespace {

inline void push32(Processor& p, uint32_t value) {
    uint32_t sp = p.cpuState.a[7] - 4;
    p.cpuState.a[7] = sp;
    writeLong(p, sp, value);
}

// Relative branches land in the cached fetch region without a lookup; the next
// opcode fetch catches a target outside it.
template <uint16_t Op> struct Branch {
    static constexpr int C = field(Op, 11, 8);
    static constexpr int32_t Disp8 = static_cast<int8_t>(Op & 0xFF);
    static constexpr bool legal = true;
    static void run(Processor& p) {
        uint32_t base = p.rs.pc;
        if constexpr (C == 1) {  // BSR
            uint32_t disp = Disp8 == 0 ? signExtend<2>(fetchWord(p)) : static_cast<uint32_t>(Disp8);
            uint32_t target = base + disp;
            push32(p, p.rs.pc);
            p.rs.pc = target;
            charge(p, 18);
        } else if (condition<C>(p)) {
            if constexpr (Disp8 == 0) p.rs.pc = base + signExtend<2>(fetchWord(p));
            else p.rs.pc = base + static_cast<uint32_t>(Disp8);
            charge(p, 10);
        } else {
            if constexpr (Disp8 == 0) {
                p.rs.pc = base + 2;
                charge(p, 12);
            } else {
                charge(p, 8);
            }
        }
    }
};

template <uint16_t Op> struct DecrementBranch {
    static constexpr int C = field(Op, 11, 8);
    static constexpr int Dn = regOf(Op);
    static constexpr bool legal = true;
    static void run(Processor& p) {
        uint32_t base = p.rs.pc;
        uint32_t disp = signExtend<2>(fetchWord(p));
        if (condition<C>(p)) {
            charge(p, 12);
            return;
        }
        uint32_t& d = p.cpuState.d[Dn];
        uint32_t count = (d - 1) & 0xFFFF;
        d = (d & 0xFFFF0000) | count;
        if (count == 0xFFFF) {
            charge(p, 14);
        } else {
            p.rs.pc = base + disp;
            charge(p, 10);
        }
    }
};

template <uint16_t Op> struct Set {
    static constexpr int C = field(Op, 11, 8);
    static constexpr int M = eaOf(Op);
    static constexpr int R = regOf(Op);
    static constexpr bool legal = isDataAlterable(M);
    static void run(Processor& p) {
        bool taken = condition<C>(p);
        writeEa<M, R, 1>(p, taken ? 0xFF : 0);
        if constexpr (M == kDn) charge(p, taken ? 6 : 4);
        else charge(p, 8 + eaTime<M, 1>());
    }
};

template <int M> constexpr int jumpTime() {
    switch (M) {
    case kInd: return 8;
    case kDisp: case kAbsW: case kPcDisp: return 10;
    case kIndex: case kPcIndex: return 14;
    default: return 12;  // abs.L
    }
}

template <uint16_t Op> struct Jump {
    static constexpr bool Subroutine = !(Op & 0x40);
    static constexpr int M = eaOf(Op);
    static constexpr int R = regOf(Op);
    static constexpr bool legal = isControl(M);
    static void run(Processor& p) {
        uint32_t target = eaAddress<M, R, 4>(p);
        if constexpr (Subroutine) {
            push32(p, p.rs.pc);
            charge(p, jumpTime<M>() + 8);
        } else {
            charge(p, jumpTime<M>());
        }
        jumpTo(p, target);
    }
};

void rts(Processor& p) {
    uint32_t sp = p.cpuState.a[7];
    uint32_t target = readLong(p, sp);
    p.cpuState.a[7] = sp + 4;
    charge(p, 16);
    jumpTo(p, target);
}

void rtr(Processor& p) {
    uint32_t sp = p.cpuState.a[7];
    setCCR(p, readWord(p, sp));
    uint32_t target = readLong(p, sp + 2);
    p.cpuState.a[7] = sp + 6;
    charge(p, 20);
    jumpTo(p, target);
}

void trapv(Processor& p) {
    if (p.rs.v) {
        enterException(p, 7);
        charge(p, 38);
    } else {
        charge(p, 4);
    }
}

template <uint16_t Op> struct Trap {
    static constexpr bool legal = true;
    static void run(Processor& p) {
        enterException(p, 32 + (Op & 15));
        charge(p, 34);
    }
};

template <uint16_t Op> struct Chk {
    static constexpr int M = eaOf(Op);
    static constexpr int R = regOf(Op);
    static constexpr bool legal = isData(M);
    static void run(Processor& p) {
        int16_t bound = static_cast<int16_t>(readEa<M, R, 2>(p));
        int16_t value = static_cast<int16_t>(p.cpuState.d[field(Op, 11, 9)]);
        p.rs.z = value == 0;
        p.rs.v = p.rs.c = 0;
        p.rs.n = value < 0;
        if (value < 0 || value > bound) {
            enterException(p, 6);
            charge(p, 40 + eaTime<M, 2>());
        } else {
            charge(p, 10 + eaTime<M, 2>());
        }
    }
};

} // namespace

void addFlowFamily(Handler* table) {
    addPattern<"0110ccccdddddddd", Branch>(table);
    addPattern<"0101cccc11001rrr", DecrementBranch>(table);
    addPattern<"0101cccc11mmmrrr", Set>(table);
    addPattern<"010011101smmmrrr", Jump>(table);
    addPattern<"0100111001110101", Fixed<rts>::Of>(table);
    addPattern<"0100111001110111", Fixed<rtr>::Of>(table);
    addPattern<"0100111001110110", Fixed<trapv>::Of>(table);
    addPattern<"010011100100vvvv", Trap>(table);
    addPattern<"0100rrr110mmmxxx", Chk>(table);
}

} // namespace varno::cpu
