// Exception entry, status-register writes with their mode switches, and the
// exceptions raised by opcodes the 68000 does not execute.
#include "cpu/bus.h"
#include "cpu/run_state.h"

namespace varno::cpu {

void selectMaps(Processor& p) {
    p.cpuState.current = supervisor(p) ? p.cpuState.supervisor : p.cpuState.user;
    clearDataCaches(p);
    p.rs.fetchFirst = 0;
    p.rs.fetchLimit = 0;  // the next fetch looks the PC up in the new list
}

// Exchanges A7 with the inactive stack pointer when S changes.
static void switchMode(Processor& p, uint16_t oldSr, uint16_t newSr) {
    p.cpuState.sr = newSr;
    if ((oldSr ^ newSr) & SR_S) {
        uint32_t sp = p.cpuState.a[7];
        p.cpuState.a[7] = p.cpuState.otherStackPointer;
        p.cpuState.otherStackPointer = sp;
        selectMaps(p);
    }
}

void writeSR(Processor& p, uint32_t value) {
    uint16_t newSr = static_cast<uint16_t>(value & 0xA71F);
    switchMode(p, p.cpuState.sr, newSr);
    setCCR(p, newSr);
}

void enterException(Processor& p, uint32_t vector) {
    p.cpuState.pendingInterrupts &= static_cast<uint8_t>(~PENDING_STOPPED);
    uint32_t target = readLong(p, vector * 4);
    uint16_t old = packSR(p);
    switchMode(p, old, static_cast<uint16_t>((old & 0x271F) | SR_S));
    p.rs.tracePending = false;
    uint32_t sp = p.cpuState.a[7];
    writeLong(p, sp - 4, p.rs.pc);
    writeWord(p, sp - 6, old);
    p.cpuState.a[7] = sp - 6;
    jumpTo(p, target);
}

static void refuse(Processor& p, uint32_t vector) {
    p.rs.pc -= 2;
    enterException(p, vector);
    charge(p, 34);
}

void illegalInstruction(Processor& p) { refuse(p, 4); }
void privilegeViolation(Processor& p) { refuse(p, 8); }
void lineA(Processor& p) { refuse(p, 10); }
void lineF(Processor& p) { refuse(p, 11); }

} // namespace varno::cpu
