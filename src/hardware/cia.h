// The two 8520 CIAs as register files: their timer latches set the player's tick.
#pragma once

#include <cstdint>

#include "machine/memory_region.h"

namespace varno {

struct AmigaMachine;

struct CiaChip {
    DeviceRegion header;
    uint8_t PRA = 0x40;
    uint8_t PRB = 0;
    uint8_t DDRA = 0;
    uint8_t DDRB = 0;
    uint8_t TALO = 0;
    uint8_t TAHI = 0;
    uint8_t TBLO = 0;
    uint8_t TBHI = 0;
    uint8_t TODLO = 0;
    uint8_t TODMID = 0;
    uint8_t TODHI = 0;
    uint8_t SDR = 0;
    uint8_t ICR = 0;  // interrupt mask as stored: bit 0 timer A, bit 1 timer B
    uint8_t CRA = 0;
    uint8_t CRB = 0;
    AmigaMachine* owner = nullptr;
};

extern CiaChip* ciaADevice;
extern CiaChip* ciaBDevice;

// The latch of the timer named by the machine's timerSource, (high << 8) | low;
// 14188 when no timer paces the player or the latch is 0.
uint16_t currentTimerLatch(const AmigaMachine& machine);

} // namespace varno
