// Delivery of the four audio interrupts to the servers a player installed in
// the audio vector slots of its player-interface block: a direct call when no
// emulated code runs, a CPU interrupt through vector 28 while code runs.
#include "amigaos/system.h"
#include "cpu/cpu.h"
#include "hardware/custom_chips.h"
#include "interface/player_interface.h"
#include "machine/amiga_machine.h"
#include "machine/cpu_context.h"
#include "machine/run_routine.h"
#include "amigaos/deli_base.h"

namespace varno {

namespace {

constexpr int32_t kAudioVector = 28;     // level-4 autovector, leads to chipIntStub
constexpr uint8_t kNmiPriority = 80;     // a server of this priority is raised at level 7


// Channel n's audio vector slot in the player-interface block: the address of
// the Interrupt structure the player installed there, or 0.
uint32_t audioVector(const AmigaMachine& machine, int n) {
    if (!machine.system || !machine.system->deliBase || !machine.lowMemory) return 0;
    return machine.lowMemory->readLong(machine.system->deliBase->base + kDeliAudioVectors + 4 * uint32_t(n));
}

// Runs or raises the server whose registers are already in the mailbox.
// False when a direct call faulted.
bool deliver(CpuContext* cpu, uint8_t priority) {
    if (!cpu) return true;
    if (!cpu->busy) {
        // No emulated code runs: the server runs to completion now, as a
        // subroutine.
        cpu->processor.cpuState.pc = cpu->chipIntCallStub;
        cpu->inInterruptCall = 1;
        const uint32_t result = runRoutine(*cpu, nullptr, nullptr, kTickCycleLimit);
        cpu->inInterruptCall = 0;
        return result == RUN_BUDGET_SPENT;
    }
    if (!cpu->inInterruptCall) {
        // Emulated code runs: the processor takes the interrupt after the
        // current instruction, through vector 28 to chipIntStub.
        cpu::raiseInterrupt(cpu->processor, priority == kNmiPriority ? 7 : 5, kAudioVector);
    }
    // Otherwise a server is running as a subroutine: the request waits in intreq.
    return true;
}

} // namespace

void AmigaMachine::deliverAudioInterrupt(CustomChips& chips, int n) {
    const MemoryRegion* main = mainMemory.get();
    const uint32_t vector = main ? audioVector(*this, n) : 0;
    // A structure outside main memory reads as 0: with no code to call there is
    // nothing to deliver (calling address 0 would only crash).
    const uint32_t code = vector ? main->readLong(vector + kInterruptCode) : 0;
    MemoryRegion* low = lowMemory.get();
    if (!code || !low || code == chips.faultedServer[n]) return;
    const uint8_t priority = main->readByte(vector + kInterruptPriority);
    low->writeLong(kChipIntSlots, main->readLong(vector + kInterruptData));
    low->writeLong(kChipIntSlots + 4, code);
    low->writeLong(kChipIntSlots + 8, uint32_t(chips.intena & chips.intreq));
    if (!deliver(cpu.get(), priority)) chips.faultedServer[n] = code;
}

} // namespace varno
