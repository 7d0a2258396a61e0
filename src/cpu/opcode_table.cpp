// Builds the opcode table: every slot starts as an illegal instruction (line A and
// line F in their ranges), then each instruction family claims its opcodes.
#include "cpu/opcode_patterns.h"

namespace varno::cpu {

Handler opcodeTable[65536];

namespace {

void fillTable() {
    for (uint32_t op = 0; op < 65536; ++op) {
        if ((op & 0xF000) == 0xA000) opcodeTable[op] = lineA;
        else if ((op & 0xF000) == 0xF000) opcodeTable[op] = lineF;
        else opcodeTable[op] = illegalInstruction;
    }
    addMoveFamily(opcodeTable);
    addAddFamily(opcodeTable);
    addSubFamily(opcodeTable);
    addCompareFamily(opcodeTable);
    addAndFamily(opcodeTable);
    addOrFamily(opcodeTable);
    addLogicFamily(opcodeTable);
    addShiftFamily(opcodeTable);
    addBitFamily(opcodeTable);
    addFlowFamily(opcodeTable);
    addSystemFamily(opcodeTable);
    addMiscFamily(opcodeTable);
    addMultiplyFamily(opcodeTable);
    addBcdFamily(opcodeTable);
}

} // namespace
} // namespace varno::cpu

namespace varno {

Processor::Processor() {
    static const bool filled = (cpu::fillTable(), true);  // once, whichever thread comes first
    (void)filled;
}

} // namespace varno
