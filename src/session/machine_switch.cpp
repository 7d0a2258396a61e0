#include "session/machine_switch.h"

#include <algorithm>

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
      ciaB_(ciaBDevice), outputSelect_(outputSelect), surroundSelect_(surroundSelect), tickFaulted_(tickFaulted()) {
    std::copy(std::begin(faultedServer), std::end(faultedServer), faultedServers_);
}

MachineSwitch::~MachineSwitch() {
    cpu::restoreProcessor(processor_);
    systemInstance = system_;
    customChipsDevice = chips_;
    ciaADevice = ciaA_;
    ciaBDevice = ciaB_;
    outputSelect = outputSelect_;
    surroundSelect = surroundSelect_;
    setTickFaulted(tickFaulted_);
    std::copy(std::begin(faultedServers_), std::end(faultedServers_), faultedServer);
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
    forgetFaultedServers();
}

} // namespace varno
