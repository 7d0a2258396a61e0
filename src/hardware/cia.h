// The two 8520 CIAs as register files: their timer latches set the player's tick.
#pragma once

#include <cstdint>

#include "hardware/device_owner.h"
#include "memory/memory_region.h"

namespace varno {

struct CiaChip {
    DeviceRegion header;
    uint8_t PRA = 0x40;
    uint8_t PRB = 0;
    uint8_t DDRA = 0;  // port A directions, 1 = output; CIA-A's as Kickstart leaves it
    uint8_t DDRB = 0;  // not accessible
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
    DeviceOwner* owner = nullptr; // told when a timer latch changes
};

constexpr uint32_t kCiaABase = 0xBFE000;
constexpr uint32_t kCiaBBase = 0xBFD000;

// CIA-A's port A directions after Kickstart: OVL (bit 0) and the power LED
// (bit 1) are outputs, the rest inputs.
constexpr uint8_t kCiaADdraAtBoot = 0x03;

// Registers back to their power-on values (PRA 0x40, CIA-A's DDRA
// kCiaADdraAtBoot, everything else 0).
void resetCia(CiaChip& cia);

// Whether CIA-A's port A lights the power LED, which on the Amiga also switches
// in the audio low-pass ("LED") filter: bit 1 drives it low-active, and only while
// DDRA makes the pin an output; an input pin floats high, LED off.
bool powerLedOn(const CiaChip& ciaA);

// The byte read, word read, byte write and word write handlers, bound to cia.
RegionHandlers ciaHandlers(CiaChip& cia);

// The latch of the timer (1 CIA-A A, 2 CIA-A B, 3 CIA-B A, 4 CIA-B B), (high << 8)
// | low; 14188 for any other source, a missing chip or a latch of 0.
uint16_t timerLatch(const CiaChip* ciaA, const CiaChip* ciaB, uint32_t source);

} // namespace varno
