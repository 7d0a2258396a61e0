// The custom-chip device at 0xDFF000: DMA and interrupt control, the audio
// registers, and the beam counters that let raster waits end.
#pragma once

#include <cstdint>

#include "hardware/paula.h"
#include "machine/memory_region.h"

namespace varno {

struct AmigaMachine;

// Every loop over the channels in the hardware and audio path visits them so.
constexpr int channelOrder[4] = {1, 3, 0, 2};

struct CustomChips {
    DeviceRegion header;
    uint16_t intena = 0x4000;
    uint16_t intreq = 0;
    uint16_t dmacon = 0x0200;
    uint16_t adkcon = 0;
    uint16_t vhposCounter = 0;
    uint16_t vposCounter = 0;
    PaulaChannel paulaChannels[4];
    AmigaMachine* owner = nullptr;
    MemoryRegion* sampleMemory = nullptr; // where audio DMA reads (mainMemory)
};

// The one device the bus handlers reach.
extern CustomChips* customChipsDevice;

} // namespace varno
