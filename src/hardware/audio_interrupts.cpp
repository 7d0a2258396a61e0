// Delivery of the four audio interrupts to the servers a player installed in
// the audio vector slots of its player-interface block: a direct call when no
// emulated code runs, a CPU interrupt through vector 28 while code runs.
#include "cpu/cpu.h"
#include "cpu/cpu_context.h"
#include "hardware/custom_chips.h"
#include "machine/amiga_machine.h"

namespace varno {

namespace {

constexpr int32_t kAudioVector = 28;     // level-4 autovector, leads to chipIntStub
constexpr uint8_t kNmiPriority = 80;     // a server of this priority is raised at level 7

// Offsets inside an exec Interrupt structure.
constexpr uint32_t LN_PRI = 9;
constexpr uint32_t IS_DATA = 14;
constexpr uint32_t IS_CODE = 18;

// Address of channel n's audio vector slot, or 0 while no player-interface block exists.
uint32_t audioVectorSlot(const AmigaMachine&, int) { return 0; }

// Runs or raises the server whose registers are already in the mailbox.
void deliver(CpuContext* cpu, uint8_t priority) {
    if (!cpu) return;
    if (cpu->busy) {
        if (!cpu->inInterruptCall) cpu::raiseInterrupt(priority == kNmiPriority ? 7 : 5, kAudioVector);
        return; // a server is running as a subroutine: the request waits in intreq
    }
}

} // namespace

void dispatchAudioInterrupts(CustomChips& chips) {
    AmigaMachine* machine = chips.owner;
    for (int n : channelOrder) {
        const uint16_t bit = uint16_t(INTF_AUD0 << n);
        if (machine && (chips.intena & chips.intreq & bit)) {
            const uint32_t slot = audioVectorSlot(*machine, n);
            const MemoryRegion* main = machine->mainMemory.get();
            const uint32_t vector = slot && main ? main->readLong(slot) : 0;
            if (vector) {
                const uint8_t priority = main->readByte(vector + LN_PRI);
                if (MemoryRegion* low = machine->lowMemory.get()) {
                    low->writeLong(kMailboxData, main->readLong(vector + IS_DATA));
                    low->writeLong(kMailboxCode, main->readLong(vector + IS_CODE));
                    low->writeLong(kMailboxBits, uint32_t(chips.intena & chips.intreq));
                }
                deliver(machine->cpu.get(), priority);
            }
        }
        // Read after the delivery: a server that acknowledged its request cleared it.
        chips.paulaChannels[n].intPending = chips.intena & chips.intreq & bit;
    }
}

} // namespace varno
