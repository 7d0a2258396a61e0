// Paula's audio channels: register writes, the DMA state machine and the
// per-tick sample generation.
#include "hardware/paula.h"

#include <array>

#include "hardware/cia.h"
#include "hardware/custom_chips.h"

namespace varno {

void writeAudLch(PaulaChannel& channel, uint16_t value) {
    channel.location = (uint32_t(value) << 16) | (channel.location & 0xFFFF);
}

void writeAudLcl(PaulaChannel& channel, uint16_t value) {
    // DMA fetches words: the low bit is dropped, and only 24 address bits exist.
    channel.location = (channel.location & 0x00FF0000) | (value & 0xFFFE);
}

void writeAudLen(PaulaChannel& channel, uint16_t value) { channel.length = value; }

void writeAudPer(PaulaChannel& channel, uint16_t value) {
    if (value == 0) channel.period = 0xFFFF;
    else if (value < kMinPeriod) channel.period = kMinPeriod;
    else channel.period = value;
}

void writeAudVol(PaulaChannel& channel, uint16_t value) { channel.volume = value <= 64 ? value : 64; }

void writeAudDat(PaulaChannel& channel, uint16_t value) { channel.dataWord = value; }

void resetPaulaChannel(PaulaChannel& channel) { channel = PaulaChannel{}; }

uint16_t fetchDmaWord(const CustomChips& chips, uint32_t address) {
    return chips.sampleMemory ? chips.sampleMemory->readWord(address) : 0;
}

uint32_t takeTickSamples(CustomChips& chips, int n) {
    const uint32_t latch = chips.owner ? chips.owner->tickLatch() : kDefaultTimerLatch;
    PaulaChannel& ch = chips.paulaChannels[n];
    const uint32_t period = ch.period ? ch.period : 0xFFFF; // only a direct store can leave 0
    const uint32_t cycles = 5 * latch + ch.cycleCarry;
    ch.cycleCarry = cycles % period;
    return (cycles / period) & 0xFFFF;
}

void stepChannel(CustomChips& chips, int n) {
    PaulaChannel& ch = chips.paulaChannels[n];
    const uint16_t intBit = uint16_t(INTF_AUD0 << n);
    if (ch.state == kPaulaIdle) {
        ch.sample = 0;
        ch.dataWord = 0;
        return;
    }
    if (!(chips.dmacon & (1u << n))) return;

    switch (ch.state) {
    case kPaulaStart:
        ch.remaining = blockWords(ch);
        ch.pointer = ch.location;
        ch.dataWord = fetchDmaWord(chips, ch.pointer);
        ch.state = kPaulaFirstFetch;
        break;
    case kPaulaFirstFetch:
        // The word at location is fetched but not played; the next one is
        // played twice (the start transient of real hardware).
        if (ch.remaining != 1) --ch.remaining;
        ch.pointer += 2;
        ch.dataWord = fetchDmaWord(chips, ch.pointer);
        ch.sample = ch.dataWord >> 8;
        ch.state = kPaulaLowByte;
        writeIntreq(chips, uint16_t(INTF_SETCLR | intBit));
        break;
    case kPaulaLowByte:
        ch.sample = ch.dataWord & 0xFF;
        ch.dataWord = fetchDmaWord(chips, ch.pointer);
        ch.pointer += 2;
        ch.state = kPaulaHighByte;
        if (ch.remaining == 1) {
            dispatchAudioInterrupts(chips);
            if (ch.intPending) {
                // Nobody acknowledged the interrupt of the block that just ended.
                ch.state = kPaulaIdle;
            } else {
                writeIntreq(chips, uint16_t(INTF_SETCLR | intBit));
                ch.pointer = ch.location;
                ch.remaining = blockWords(ch);
            }
        } else {
            --ch.remaining;
        }
        break;
    case kPaulaHighByte:
        ch.sample = ch.dataWord >> 8;
        ch.state = kPaulaLowByte;
        break;
    default:
        break;
    }
}

namespace {

// Every byte at every volume as heard: volume / 64 x byte / 256, a product that
// is exact in a float.
constexpr auto kHeard = [] {
    std::array<std::array<float, 256>, 65> table{};
    for (int volume = 0; volume <= 64; ++volume)
        for (int byte = 0; byte < 256; ++byte) table[volume][byte] = float(volume * int8_t(byte)) / 16384.0f;
    return table;
}();

// The samples of a block being played, from out[i] on, up to the block's last
// word or the tick's end (count); returns where it stopped. Nothing here runs
// emulated code, so volume and DMA stay as they are, and the channel's state is
// worked on in locals. The value current before each step is the one heard:
// the output lags the state machine by one.
uint32_t playWithinBlock(const CustomChips& chips, PaulaChannel& ch, float* out, uint32_t i, uint32_t count) {
    uint32_t state = ch.state;
    if (state != kPaulaHighByte && state != kPaulaLowByte) return i;
    const auto& atVolume = kHeard[ch.volume <= 64 ? ch.volume : 64];
    const auto heard = [&atVolume](uint16_t byte) { return atVolume[byte & 0xFF]; };
    uint16_t sample = ch.sample;
    uint16_t data = ch.dataWord;
    uint32_t pointer = ch.pointer;
    uint32_t remaining = ch.remaining;
    // The low byte's step: the word's low byte comes next, and the next word is fetched.
    const auto lowStep = [&] {
        sample = data & 0xFF;
        data = fetchDmaWord(chips, pointer);
        pointer += 2;
        --remaining;
    };
    // A word begun in the last tick is finished first.
    if (state == kPaulaLowByte && remaining != 1 && i < count) {
        out[i++] = heard(sample);
        lowStep();
        state = kPaulaHighByte;
    }
    // Whole words: both steps of a word in one pass.
    for (; state == kPaulaHighByte && remaining != 1 && i + 2 <= count; i += 2) {
        out[i] = heard(sample);
        out[i + 1] = heard(data >> 8);
        lowStep();
    }
    // The tick's last sample may end between a word's two bytes.
    if (state == kPaulaHighByte && i < count) {
        out[i++] = heard(sample);
        sample = data >> 8;
        state = kPaulaLowByte;
    }
    ch.state = state;
    ch.sample = sample;
    ch.dataWord = data;
    ch.pointer = pointer;
    ch.remaining = remaining;
    return i;
}

} // namespace

int32_t renderChannelTick(CustomChips& chips, int n, float* out) {
    if (!out || !(chips.dmacon & (1u << n))) return 0;
    PaulaChannel& ch = chips.paulaChannels[n];
    const uint32_t count = takeTickSamples(chips, n);
    const uint32_t dmaBit = 1u << n;
    uint32_t i = 0;
    while (i < count) {
        if (chips.dmacon & dmaBit) i = playWithinBlock(chips, ch, out, i, count);
        if (i == count) break;
        const double volume = double(ch.volume) * 0.015625;
        const double value = double(int8_t(uint8_t(ch.sample))) * 0.00390625;
        // Block ends and the other states take the full path, which may run
        // audio interrupts.
        stepChannel(chips, n);
        out[i++] = float(volume * value);
    }
    return int32_t(count);
}

} // namespace varno
