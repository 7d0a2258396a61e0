// Exception entry, status-register writes with their mode switches, and the
// exceptions raised by opcodes the 68000 does not execute.
#include "cpu/bus.h"
#include "cpu/run_state.h"

namespace varno::cpu {

void selectMaps() {
    cpuState.current = supervisor() ? cpuState.supervisor : cpuState.user;
    clearDataCaches();
    rs.fetchFirst = 0;
    rs.fetchLimit = 0;  // the next fetch looks the PC up in the new list
}

// Exchanges A7 with the inactive stack pointer when S changes.
static void switchMode(uint16_t oldSr, uint16_t newSr) {
    cpuState.sr = newSr;
    if ((oldSr ^ newSr) & SR_S) {
        uint32_t sp = cpuState.a[7];
        cpuState.a[7] = cpuState.otherStackPointer;
        cpuState.otherStackPointer = sp;
        selectMaps();
    }
}

void writeSR(uint32_t value) {
    uint16_t newSr = static_cast<uint16_t>(value & 0xA71F);
    switchMode(cpuState.sr, newSr);
    setCCR(newSr);
}

void enterException(uint32_t vector) {
    cpuState.pendingInterrupts &= static_cast<uint8_t>(~PENDING_STOPPED);
    uint32_t target = readLong(vector * 4);
    uint16_t old = packSR();
    switchMode(old, static_cast<uint16_t>((old & 0x271F) | SR_S));
    rs.tracePending = false;
    uint32_t sp = cpuState.a[7];
    writeLong(sp - 4, rs.pc);
    writeWord(sp - 6, old);
    cpuState.a[7] = sp - 6;
    jumpTo(target);
}

static void refuse(uint32_t vector) {
    rs.pc -= 2;
    enterException(vector);
    charge(34);
}

void illegalInstruction() { refuse(4); }
void privilegeViolation() { refuse(8); }
void lineA() { refuse(10); }
void lineF() { refuse(11); }

} // namespace varno::cpu
