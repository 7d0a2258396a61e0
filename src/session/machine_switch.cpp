#include "session/machine_switch.h"

#include "hardware/custom_chips.h"
#include "machine/amiga_machine.h"

namespace varno {

MachineSwitch::MachineSwitch() : processor_(cpu::saveProcessor()) {}

MachineSwitch::~MachineSwitch() { cpu::restoreProcessor(processor_); }

void MachineSwitch::useMachine(AmigaMachine& m, const cpu::SavedProcessor& processor) {
    cpu::restoreProcessor(processor);
    m.tickFaulted = false;
    // Servers that faulted belong to the chips of their machine; the borrowing one
    // starts with none.
    if (m.customChips)
        for (uint32_t& code : m.customChips->faultedServer) code = 0;
}

} // namespace varno
