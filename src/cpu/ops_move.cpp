// MOVE, MOVEA and MOVEQ.
//   MOVE.B/W/L <ea>,<ea>   source: any mode (An not for .B, except as below); destination: data alterable
//   MOVEA.W/L <ea>,An      source: any mode; no flags; .W is sign-extended
//   MOVEQ #d8,Dn           sign-extended to a long
// This core also executes MOVE.B An,<ea>, moving the register's low byte.
#include "cpu/alu.h"
#include "cpu/opcode_patterns.h"

namespace varno::cpu {
namespace {

// Destination part of a MOVE's time, by mode (byte/word, long).
template <int M, int S> constexpr int moveDestTime() {
    constexpr bool l = S == 4;
    switch (M) {
    case kDn: case kAn: return 4;
    case kInd: case kPostInc: case kPreDec: return l ? 12 : 8;
    case kDisp: case kAbsW: return l ? 16 : 12;
    case kIndex: return l ? 18 : 14;
    case kAbsL: return l ? 20 : 16;
    default: return 0;
    }
}

template <uint16_t Op> struct Move {
    static constexpr int S = field(Op, 13, 12) == 1 ? 1 : field(Op, 13, 12) == 3 ? 2 : 4;
    static constexpr int Src = eaOf(Op);
    static constexpr int SrcReg = regOf(Op);
    static constexpr int Dst = eaMode(static_cast<unsigned>(field(Op, 8, 6) << 3 | field(Op, 11, 9)));
    static constexpr int DstReg = field(Op, 11, 9);
    static constexpr bool legal = isAny(Src) && (Dst == kAn ? S != 1 : isDataAlterable(Dst));
    static void run(Processor& p) {
        uint32_t value = readEa<Src, SrcReg, S>(p);
        if constexpr (Dst == kAn) {
            p.cpuState.a[DstReg] = signExtend<S>(value);
        } else {
            setNZ<S>(p, value);
            p.rs.v = 0;
            p.rs.c = 0;
            writeEa<Dst, DstReg, S>(p, value);
        }
        charge(p, eaTime<Src, S>() + moveDestTime<Dst, S>());
    }
};

template <uint16_t Op> struct Moveq {
    static constexpr bool legal = true;
    static void run(Processor& p) {
        uint32_t value = signExtend<1>(Op & 0xFF);
        p.cpuState.d[field(Op, 11, 9)] = value;
        logic<4>(p, value);
        charge(p, 4);
    }
};

} // namespace

void addMoveFamily(Handler* table) {
    addPattern<"0001rrrmmmxxxxxx", Move>(table);
    addPattern<"0011rrrmmmxxxxxx", Move>(table);
    addPattern<"0010rrrmmmxxxxxx", Move>(table);
    addPattern<"0111rrr0dddddddd", Moveq>(table);
}

} // namespace varno::cpu
