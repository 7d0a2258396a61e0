// Status register and system control.
//   ORI/ANDI/EORI #,CCR and #,SR; MOVE <ea>,CCR and <ea>,SR (data modes); MOVE SR,<ea>
//   (data alterable, not privileged on the 68000); MOVE USP; RTE; STOP #; RESET; ILLEGAL
// Instructions that may lower the mask or set T cut the run short, so the run loop
// checks interrupts and trace before the next instruction.
#include "cpu/alu.h"
#include "cpu/opcode_patterns.h"

namespace varno::cpu {
namespace {

template <uint16_t Op> struct ImmediateToStatus {
    static constexpr int Which = field(Op, 11, 9);  // 0 OR, 1 AND, 5 EOR
    static constexpr bool WholeSR = Op & 0x40;
    static constexpr bool legal = Which == 0 || Which == 1 || Which == 5;
    static void run(Processor& p) {
        if (WholeSR && !supervisor(p)) {
            privilegeViolation(p);
            return;
        }
        uint32_t data = fetchWord(p);
        uint32_t old = packSR(p);
        uint32_t value = Which == 0 ? old | data : Which == 1 ? old & data : old ^ data;
        charge(p, 20);
        if constexpr (WholeSR) {
            writeSR(p, value);
            cutShort(p);
        } else {
            setCCR(p, value);
        }
    }
};

template <uint16_t Op> struct MoveToStatus {
    static constexpr bool WholeSR = field(Op, 11, 8) == 6;
    static constexpr int M = eaOf(Op);
    static constexpr int R = regOf(Op);
    static constexpr bool legal = isData(M);
    static void run(Processor& p) {
        if (WholeSR && !supervisor(p)) {
            privilegeViolation(p);
            return;
        }
        uint32_t value = readEa<M, R, 2>(p);
        charge(p, 12 + eaTime<M, 2>());
        if constexpr (WholeSR) {
            writeSR(p, value);
            cutShort(p);
        } else {
            setCCR(p, value);
        }
    }
};

template <uint16_t Op> struct MoveFromSR {
    static constexpr int M = eaOf(Op);
    static constexpr int R = regOf(Op);
    static constexpr bool legal = isDataAlterable(M);
    static void run(Processor& p) {
        writeEa<M, R, 2>(p, packSR(p));
        charge(p, M == kDn ? 6 : 8 + eaTime<M, 2>());
    }
};

template <uint16_t Op> struct MoveUsp {
    static constexpr bool ToAn = Op & 8;
    static constexpr bool legal = true;
    static void run(Processor& p) {
        if (!supervisor(p)) {
            privilegeViolation(p);
            return;
        }
        if constexpr (ToAn) p.cpuState.a[regOf(Op)] = p.cpuState.otherStackPointer;
        else p.cpuState.otherStackPointer = p.cpuState.a[regOf(Op)];
        charge(p, 4);
    }
};

void rteInstruction(Processor& p) {
    if (!supervisor(p)) {
        privilegeViolation(p);
        return;
    }
    uint32_t sp = p.cpuState.a[7];
    uint32_t newSr = readWord(p, sp);
    writeSR(p, newSr);
    if (supervisor(p)) p.cpuState.a[7] = sp + 6;
    else p.cpuState.otherStackPointer = sp + 6;
    uint32_t target = readLong(p, sp + 2);
    charge(p, 20);
    jumpTo(p, target);
    cutShort(p);
}

void stopInstruction(Processor& p) {
    if (!supervisor(p)) {
        privilegeViolation(p);
        return;
    }
    writeSR(p, fetchWord(p));
    p.cpuState.pendingInterrupts |= PENDING_STOPPED;
    charge(p, 4);
    // A stopped processor idles through the rest of its budget.
    p.rs.parked = 0;
    if (p.rs.remaining >= 0) p.rs.remaining = -1;
}

void resetInstruction(Processor& p) {
    if (!supervisor(p)) {
        privilegeViolation(p);
        return;
    }
    if (!p.cpuState.resetHandler) {
        p.rs.pc -= 2;
        p.rs.resetStop = true;
        cutShort(p);
        return;
    }
    p.cpuState.resetHandler(p);
    charge(p, 132);
}

// ILLEGAL is an instruction of its own in the manual, with the illegal-instruction
// exception as its whole effect.
void illegalInstructionWord(Processor& p) { illegalInstruction(p); }

} // namespace

void addSystemFamily(Handler* table) {
    addPattern<"0000ooo00s111100", ImmediateToStatus>(table);
    addPattern<"0100011011mmmrrr", MoveToStatus>(table);
    addPattern<"0100010011mmmrrr", MoveToStatus>(table);
    addPattern<"0100000011mmmrrr", MoveFromSR>(table);
    addPattern<"010011100110drrr", MoveUsp>(table);
    addPattern<"0100111001110011", Fixed<rteInstruction>::Of>(table);
    addPattern<"0100111001110010", Fixed<stopInstruction>::Of>(table);
    addPattern<"0100111001110000", Fixed<resetInstruction>::Of>(table);
    addPattern<"0100101011111100", Fixed<illegalInstructionWord>::Of>(table);
}

} // namespace varno::cpu
