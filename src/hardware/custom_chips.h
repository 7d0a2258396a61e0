// The custom-chip device at 0xDFF000: DMA and interrupt control, the audio
// registers, and the beam counters that let raster waits end.
#pragma once

#include <cstdint>

#include "hardware/device_owner.h"
#include "hardware/paula.h"
#include "memory/memory_region.h"

namespace varno {

// Every loop over the channels in the hardware and audio path visits them so.
constexpr int channelOrder[4] = {1, 3, 0, 2};

constexpr uint32_t kCustomChipsBase = 0xDFF000;

// DMACON, INTENA and INTREQ bits that have an effect.
constexpr uint16_t DMAF_SETCLR = 0x8000;
constexpr uint16_t DMAF_MASTER = 0x0200;
constexpr uint16_t INTF_SETCLR = 0x8000;
constexpr uint16_t INTF_INTEN = 0x4000;
constexpr uint16_t INTF_AUD0 = 0x0080; // channel n is INTF_AUD0 << n

struct CustomChips {
    DeviceRegion header;
    uint16_t intena = 0x4000;
    uint16_t intreq = 0;
    uint16_t dmacon = 0x0200;
    uint16_t adkcon = 0;        // stored and read back only
    uint16_t vhposCounter = 0;
    uint16_t vposCounter = 0;
    PaulaChannel paulaChannels[4];
    DeviceOwner* owner = nullptr;
    MemoryRegion* sampleMemory = nullptr; // where audio DMA reads (mainMemory)
    // Server code that faulted when called directly, per channel (0 = none). Its
    // fault has been shown once; it is not called again until the chips are reset,
    // so that a broken server cannot bring up the same message at every block start.
    uint32_t faultedServer[4] = {};
    // The INTREQR busy-wait rule: the processor's cycle count at the last read, and
    // the reads in a row that came quickly. Kept across resets: they follow the
    // processor, not the registers.
    uint32_t lastIntreqrCycles = 0;
    uint32_t quickIntreqrReads = 0;
};

// Registers and channels back to their power-on values.
void resetCustomChips(CustomChips& chips);

// The byte read, word read, byte write and word write handlers, bound to chips.
RegionHandlers customChipsHandlers(CustomChips& chips);

// ---------------------------------------------------------------------------
// Register writes with side effects, shared by the handlers and the channels.
// ---------------------------------------------------------------------------

// DMACON: starts channels whose bit comes on, stops those whose bit goes off.
void writeDmacon(CustomChips& chips, uint16_t value);
// INTENA: bit 14 (INTEN) cannot be cleared; pending audio interrupts are dispatched.
void writeIntena(CustomChips& chips, uint16_t value);
// INTREQ: a SET write dispatches pending audio interrupts, a CLR write only clears.
void writeIntreq(CustomChips& chips, uint16_t value);
void writeAdkcon(CustomChips& chips, uint16_t value);

// Hands every requested and enabled audio interrupt to the owner for delivery,
// and notes which stay pending.
void dispatchAudioInterrupts(CustomChips& chips);

} // namespace varno
