// A channel's tick without its samples, for playing a song through silently:
// inside a block the DMA only walks words through memory, so a run of them is
// one step, and only whether one of them would be heard is looked at.
#include <algorithm>
#include <cstdlib>

#include "hardware/custom_chips.h"
#include "hardware/paula.h"

namespace varno {

namespace {

bool loud(uint32_t volume, uint16_t sample, int32_t loudness) {
    return int32_t(volume) * std::abs(int32_t(int8_t(uint8_t(sample)))) >= loudness;
}

// Whether a byte of the words in [from, from + 2 * words) would be heard.
bool loudWords(const CustomChips& chips, uint32_t from, uint32_t words, uint32_t volume, int32_t loudness) {
    if (!chips.sampleMemory || int32_t(volume) * 128 < loudness) return false;
    for (uint32_t w = 0; w < words; ++w) {
        const uint16_t word = chips.sampleMemory->readWord(from + 2 * w);
        if (loud(volume, uint16_t(word >> 8), loudness) || loud(volume, word, loudness)) return true;
    }
    return false;
}

// A block that has just started again, in the state its every repeat starts in
// (the last word fetched, the low byte of the one before it current), repeats
// that state every 2 x words steps: those loops are skipped whole, and heard if
// any byte of the block is. Returns the steps skipped, at most `steps`.
uint32_t wholeLoops(const CustomChips& chips, const PaulaChannel& ch, uint32_t steps, int32_t loudness, bool& heard) {
    const uint32_t words = blockWords(ch), loop = 2 * words;
    if (steps < loop || ch.dataWord != fetchDmaWord(chips, ch.location + 2 * (words - 1)) ||
        ch.sample != (fetchDmaWord(chips, ch.location + 2 * (words > 1 ? words - 2 : 0)) & 0xFF))
        return 0;
    if (!heard) heard = loudWords(chips, ch.location, words, ch.volume, loudness);
    return steps / loop * loop;
}

constexpr uint16_t kAudioInterrupts = INTF_AUD0 | INTF_AUD0 << 1 | INTF_AUD0 << 2 | INTF_AUD0 << 3;

} // namespace

int32_t skipChannelTick(CustomChips& chips, int n, int32_t loudness, bool& heard) {
    const uint32_t dmaBit = 1u << n;
    if (!(chips.dmacon & dmaBit)) return 0;
    PaulaChannel& ch = chips.paulaChannels[n];
    const uint32_t count = takeTickSamples(chips, n);
    uint32_t i = 0;
    while (i < count) {
        // About to play a low byte with words of the block left: each pair of
        // steps plays a low byte and the next word's high byte and fetches a
        // word, until the block's last word or the tick's end.
        if (ch.state == kPaulaLowByte && ch.remaining > 1 && (chips.dmacon & dmaBit)) {
            const uint32_t pairs = std::min((count - i) / 2, ch.remaining - 1);
            if (pairs > 0) {
                // Heard: the sample now current, the low byte of the word held,
                // both bytes of every word fetched but the last.
                if (!heard)
                    heard = loud(ch.volume, ch.sample, loudness) || loud(ch.volume, ch.dataWord, loudness) ||
                            loudWords(chips, ch.pointer, pairs - 1, ch.volume, loudness);
                ch.pointer += 2 * (pairs - 1);
                ch.dataWord = fetchDmaWord(chips, ch.pointer);
                ch.pointer += 2;
                ch.remaining -= pairs;
                ch.sample = ch.dataWord >> 8;
                i += 2 * pairs;
                continue;
            }
        }
        // The sample current before the step is the one the tick plays.
        if (!heard) heard = loud(ch.volume, ch.sample, loudness);
        if (ch.state == kPaulaLowByte && ch.remaining == 1 && (chips.dmacon & dmaBit) &&
            !(chips.intena & kAudioInterrupts)) {
            // A block ends with no audio interrupt enabled, none to deliver: the
            // request is set and the block starts again (short looping blocks
            // end every other sample).
            ch.sample = ch.dataWord & 0xFF;
            ch.dataWord = fetchDmaWord(chips, ch.pointer);
            ch.state = kPaulaHighByte;
            for (PaulaChannel& channel : chips.paulaChannels) channel.intPending = 0;
            chips.intreq |= uint16_t(INTF_AUD0 << n);
            ch.pointer = ch.location;
            ch.remaining = blockWords(ch);
            i += wholeLoops(chips, ch, count - i - 1, loudness, heard);
        } else {
            stepChannel(chips, n);
        }
        ++i;
    }
    return int32_t(count);
}

} // namespace varno
