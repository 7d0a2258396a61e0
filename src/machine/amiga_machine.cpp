// The machine record: its parts, and the questions it answers or forwards to its song.
#include "machine/amiga_machine.h"

#include <cstdio>

#include "amigaos/system.h"
#include "machine/cpu_context.h"
#include "hardware/cia.h"
#include "hardware/custom_chips.h"

namespace varno {

AmigaMachine::AmigaMachine() = default;

AmigaMachine::~AmigaMachine() = default;

void AmigaMachine::updateTickLength() {
    if (song) song->setTickLength(tickLatch(), cpu ? cpu->clockHz : kCpuClockHz);
}

OsParts AmigaMachine::osParts() {
    return {lowMemory.get(), mainMemory.get(), ciaA.get(), ciaB.get(), customChips.get(), host, this};
}

uint32_t AmigaMachine::processorCycles() { return cpu ? cpu::readCycles(cpu->processor) : 0; }

uint16_t AmigaMachine::tickLatch() const { return timerLatch(ciaA.get(), ciaB.get(), song ? song->tickTimer() : 0); }

void AmigaMachine::reportFault(const std::string& text) const {
    if (faultSink) faultSink(text);
    else std::fprintf(stderr, "%s\n", text.c_str());
}


} // namespace varno
