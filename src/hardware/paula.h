// The four Paula audio channels: registers and the DMA state machine that turns
// what a player programmed into one tick of raw channel samples.
#pragma once

#include <cstdint>

namespace varno {

struct CustomChips;

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
    uint32_t cycleCarry = 0;   // Paula cycles of the last tick not yet worth a sample
};

// DMA states.
constexpr uint32_t kPaulaIdle = 0;
constexpr uint32_t kPaulaStart = 1;
constexpr uint32_t kPaulaLowByte = 2;   // plays the low byte and fetches the next word
constexpr uint32_t kPaulaHighByte = 3;
constexpr uint32_t kPaulaFirstFetch = 5;

// Shortest period Paula can play; shorter ones are raised to it.
constexpr uint16_t kMinPeriod = 113;

// Register writes; none of them affects a running block at once.
void writeAudLch(PaulaChannel& channel, uint16_t value);
void writeAudLcl(PaulaChannel& channel, uint16_t value);
void writeAudLen(PaulaChannel& channel, uint16_t value);
void writeAudPer(PaulaChannel& channel, uint16_t value);
void writeAudVol(PaulaChannel& channel, uint16_t value);
void writeAudDat(PaulaChannel& channel, uint16_t value);

void resetPaulaChannel(PaulaChannel& channel);

// What the DMA reads: the word at address (0 without sample memory).
uint16_t fetchDmaWord(const CustomChips& chips, uint32_t address);
// Words of a block; a length of 0 plays as one word.
inline uint32_t blockWords(const PaulaChannel& channel) { return channel.length ? channel.length : 1; }
// The samples channel n plays in the tick now starting (at most 65535): a tick
// of L CIA counts holds 5 L Paula cycles, and the cycles beyond the last whole
// sample count towards the next tick, so a channel keeps its pitch.
uint32_t takeTickSamples(CustomChips& chips, int n);

// Advances channel n by one output sample.
void stepChannel(CustomChips& chips, int n);

// Writes channel n's samples for one tick (at most 65535) into out and returns
// how many; 0 when the channel's DMA is off. The Paula cycles a tick holds
// beyond its last whole sample count towards the next tick's, so that a
// channel keeps its pitch whatever the tick length.
int32_t renderChannelTick(CustomChips& chips, int n, float* out);

// The same tick as renderChannelTick, leaving the channel, its interrupts and
// the memory it read in the same state, without producing the samples: runs of
// words inside a block are skipped at once. Sets heard when one of the samples
// the tick would have produced has volume * |sample| >= loudness.
int32_t skipChannelTick(CustomChips& chips, int n, int32_t loudness, bool& heard);

} // namespace varno
