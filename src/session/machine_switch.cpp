#include "session/machine_switch.h"


#include "amigaos/system.h"
#include "audio/mixer.h"
#include "hardware/cia.h"
#include "hardware/custom_chips.h"
#include "machine/amiga_machine.h"
#include "session/frame_driver.h"
#include "session/render.h"

namespace varno {

MachineSwitch::MachineSwitch()
    : processor_(cpu::saveProcessor()), system_(systemInstance), chips_(customChipsDevice), ciaA_(ciaADevice),
      ciaB_(ciaBDevice), outputSelect_(outputSelect), surroundSelect_(surroundSelect), tickFaulted_(tickFaulted()) {}

MachineSwitch::~MachineSwitch() {
    cpu::restoreProcessor(processor_);
    systemInstance = system_;
    customChipsDevice = chips_;
    ciaADevice = ciaA_;
    ciaBDevice = ciaB_;
    outputSelect = outputSelect_;
    surroundSelect = surroundSelect_;
    setTickFaulted(tickFaulted_);
}

void MachineSwitch::useMachine(AmigaMachine& m, const cpu::SavedProcessor& processor) {
    systemInstance = m.system.get();
    customChipsDevice = m.customChips.get();
    ciaADevice = m.ciaA.get();
    ciaBDevice = m.ciaB.get();
    cpu::restoreProcessor(processor);
    outputSelect = 0;
    surroundSelect = 0;
    setTickFaulted(false);
    // Servers that faulted belong to the chips of their machine; the borrowing one
    // starts with none.
    if (m.customChips)
        for (uint32_t& code : m.customChips->faultedServer) code = 0;
}

} // namespace varno
