// exec's Cause: a software interrupt's server runs at once.
#include "cpu/cpu.h"
#include "hardware/custom_chips.h"
#include "interface/player_interface.h"
#include "machine/amiga_machine.h"
#include "machine/cpu_context.h"
#include "machine/run_routine.h"

namespace varno {

// The server's data, code and the enabled requests go to the slots the soft
// interrupt stubs read; the server then runs as a subroutine when called from
// native code, as a level-7 interrupt through vector 29 when 68000 code is running.
void AmigaMachine::causeSoftInterrupt(uint32_t interrupt) {
    const uint32_t data = mainMemory->readLong(interrupt + kInterruptData);
    const uint32_t code = mainMemory->readLong(interrupt + kInterruptCode);
    const uint32_t enabledRequests = customChips ? uint16_t(customChips->intena & customChips->intreq) : 0;
    lowMemory->writeLong(kSoftIntSlots, data);
    lowMemory->writeLong(kSoftIntSlots + 4, code);
    lowMemory->writeLong(kSoftIntSlots + 8, enabledRequests);
    if (!cpu) return;
    if (!cpu->busy) {
        cpu->inInterruptCall = 1;
        cpu->processor.cpuState.pc = cpu->softIntCallStub;
        runRoutine(*cpu, nullptr, nullptr);
        cpu->inInterruptCall = 0;
    } else if (!cpu->inInterruptCall) {
        cpu::raiseInterrupt(cpu->processor, 7, int32_t(kVectorSoftInt));
    }
}

} // namespace varno
