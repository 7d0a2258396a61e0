// Lending the processor to a second machine: what the process keeps of "the"
// machine is saved when the switch is made and given back when it ends, so the
// first machine goes on as if nothing had happened. Devices and the operating
// system are each machine's own: the bus reaches them through the machine's maps.
#pragma once

#include <cstdint>

#include "cpu/saved_processor.h"

namespace varno {

struct AmigaMachine;
class CSystem;
struct CustomChips;
struct CiaChip;

class MachineSwitch {
public:
    // Saves the process-wide state; the machine built or used next takes it over.
    MachineSwitch();
    // Gives it back.
    ~MachineSwitch();
    MachineSwitch(const MachineSwitch&) = delete;
    MachineSwitch& operator=(const MachineSwitch&) = delete;

    // Points the process-wide state at another machine that was built earlier
    // (building a machine points it there by itself), with the processor as that
    // machine left it.
    void useMachine(AmigaMachine& machine, const cpu::SavedProcessor& processor);

private:
    cpu::SavedProcessor processor_;
};

} // namespace varno
