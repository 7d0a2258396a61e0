// The four Paula audio channels: registers and the DMA state machine that turns
// what a player programmed into one tick of raw channel samples.
#pragma once

#include <cstdint>

namespace varno {

struct PaulaChannel {
    uint16_t period = 0xFFFF;  // AUDxPER, 113..65535
    uint16_t volume = 0;       // AUDxVOL, 0..64
    uint16_t sample = 0;       // current output sample, signed 8-bit in the low byte
    uint16_t dataWord = 0;     // last DMA word fetched, or AUDxDAT
    uint32_t location = 0;     // AUDxLCH/AUDxLCL
    uint16_t length = 0;       // AUDxLEN, in words
    uint32_t pointer = 0;      // next word to fetch
    uint32_t remaining = 0;    // words left in the current block
    uint32_t state = 0;        // 0 idle, 1 starting, 5 first fetch, 2 and 3 playing
    uint32_t intPending = 0;   // interrupt still requested and enabled after the last dispatch
};

} // namespace varno
