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
    static void run() {
        if (WholeSR && !supervisor()) {
            privilegeViolation();
            return;
        }
        uint32_t data = fetchWord();
        uint32_t old = packSR();
        uint32_t value = Which == 0 ? old | data : Which == 1 ? old & data : old ^ data;
        charge(20);
        if constexpr (WholeSR) {
            writeSR(value);
            cutShort();
        } else {
            setCCR(value);
        }
    }
};

template <uint16_t Op> struct MoveToStatus {
    static constexpr bool WholeSR = field(Op, 11, 8) == 6;
    static constexpr int M = eaOf(Op);
    static constexpr int R = regOf(Op);
    static constexpr bool legal = isData(M);
    static void run() {
        if (WholeSR && !supervisor()) {
            privilegeViolation();
            return;
        }
        uint32_t value = readEa<M, R, 2>();
        charge(12 + eaTime<M, 2>());
        if constexpr (WholeSR) {
            writeSR(value);
            cutShort();
        } else {
            setCCR(value);
        }
    }
};

template <uint16_t Op> struct MoveFromSR {
    static constexpr int M = eaOf(Op);
    static constexpr int R = regOf(Op);
    static constexpr bool legal = isDataAlterable(M);
    static void run() {
        writeEa<M, R, 2>(packSR());
        charge(M == kDn ? 6 : 8 + eaTime<M, 2>());
    }
};

template <uint16_t Op> struct MoveUsp {
    static constexpr bool ToAn = Op & 8;
    static constexpr bool legal = true;
    static void run() {
        if (!supervisor()) {
            privilegeViolation();
            return;
        }
        if constexpr (ToAn) cpuState.a[regOf(Op)] = cpuState.otherStackPointer;
        else cpuState.otherStackPointer = cpuState.a[regOf(Op)];
        charge(4);
    }
};

void rteInstruction() {
    if (!supervisor()) {
        privilegeViolation();
        return;
    }
    uint32_t sp = cpuState.a[7];
    uint32_t newSr = readWord(sp);
    writeSR(newSr);
    if (supervisor()) cpuState.a[7] = sp + 6;
    else cpuState.otherStackPointer = sp + 6;
    uint32_t target = readLong(sp + 2);
    charge(20);
    jumpTo(target);
    cutShort();
}

void stopInstruction() {
    if (!supervisor()) {
        privilegeViolation();
        return;
    }
    writeSR(fetchWord());
    cpuState.pendingInterrupts |= PENDING_STOPPED;
    charge(4);
    // A stopped processor idles through the rest of its budget.
    rs.parked = 0;
    if (rs.remaining >= 0) rs.remaining = -1;
}

void resetInstruction() {
    if (!supervisor()) {
        privilegeViolation();
        return;
    }
    if (!cpuState.resetHandler) {
        rs.pc -= 2;
        rs.resetStop = true;
        cutShort();
        return;
    }
    cpuState.resetHandler();
    charge(132);
}

// ILLEGAL is an instruction of its own in the manual, with the illegal-instruction
// exception as its whole effect.
void illegalInstructionWord() { illegalInstruction(); }

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
