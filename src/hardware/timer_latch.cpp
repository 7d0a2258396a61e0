// The latch of the timer that paces the player.
#include "hardware/cia.h"
#include "machine/amiga_machine.h"

namespace varno {

CiaChip* ciaADevice = nullptr;
CiaChip* ciaBDevice = nullptr;

uint16_t currentTimerLatch(const AmigaMachine& machine) {
    const CiaChip* a = machine.ciaA.get();
    const CiaChip* b = machine.ciaB.get();
    // A latch of 0 would give ticks of no length and stall rendering; it plays as
    // the default tick instead.
    auto latch = [](uint8_t hi, uint8_t lo) {
        uint16_t v = uint16_t(hi << 8 | lo);
        return v ? v : kDefaultTimerLatch;
    };
    switch (machine.timerSource) {
    case 1: return a ? latch(a->TAHI, a->TALO) : kDefaultTimerLatch;
    case 2: return a ? latch(a->TBHI, a->TBLO) : kDefaultTimerLatch;
    case 3: return b ? latch(b->TAHI, b->TALO) : kDefaultTimerLatch;
    case 4: return b ? latch(b->TBHI, b->TBLO) : kDefaultTimerLatch;
    default: return kDefaultTimerLatch;
    }
}

} // namespace varno
