// A channel's tick skipped without its samples against the same tick rendered:
// random blocks, periods, volumes, register changes between ticks and audio
// interrupts left unanswered must leave both channels in the same state, and the
// skip must hear a sample exactly when the render produced a loud enough one.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "hardware/hardware_fixture.h"

namespace varno {
namespace {

using test::HardwareFixture;

bool sameChannel(const PaulaChannel& a, const PaulaChannel& b) {
    return a.period == b.period && a.volume == b.volume && a.sample == b.sample && a.dataWord == b.dataWord &&
           a.location == b.location && a.length == b.length && a.pointer == b.pointer &&
           a.remaining == b.remaining && a.state == b.state && a.intPending == b.intPending &&
           a.cycleCarry == b.cycleCarry;
}

// A channel's program and what the player changes before each tick, and whether
// it acknowledges the channel's interrupt request.
struct Script {
    uint32_t block = 0;
    uint16_t length = 0, period = 0, volume = 0, intena = 0;
    struct Change {
        bool reprogram, acknowledge;
        uint32_t block;
        uint16_t length, volume;
    } ticks[12];
};

// Straight to the registers of each fixture's chips.
void program(CustomChips& chips, uint32_t location, uint16_t length, uint16_t period, uint16_t volume) {
    PaulaChannel& ch = chips.paulaChannels[0];
    writeAudLch(ch, uint16_t(location >> 16));
    writeAudLcl(ch, uint16_t(location));
    writeAudLen(ch, length);
    writeAudPer(ch, period);
    writeAudVol(ch, volume);
}

void start(CustomChips& chips, const Script& s) {
    resetCustomChips(chips);
    program(chips, s.block, s.length, s.period, s.volume);
    writeIntena(chips, s.intena);
    writeDmacon(chips, 0x8201);
}

void change(CustomChips& chips, const Script& s, int tick) {
    const Script::Change& c = s.ticks[tick];
    if (c.reprogram) program(chips, c.block, c.length, s.period, c.volume);
    if (c.acknowledge) writeIntreq(chips, INTF_AUD0);
}

TEST(PaulaSkip, LeavesTheChannelAsRenderingDoesAndHearsWhatItWouldPlay) {
    std::mt19937 random(1985);
    auto pick = [&](uint32_t low, uint32_t high) { return std::uniform_int_distribution<uint32_t>(low, high)(random); };
    std::vector<float> out(65536);
    int heardTicks = 0, silentTicks = 0;
    HardwareFixture rendered, skipped;
    auto fill = [&](uint32_t from, uint32_t kind) {
        for (uint32_t a = 0; a < 0x1000; a += 2) {
            const uint16_t word = kind == 1 ? uint16_t(pick(0, 0xFFFF)) : kind == 2 ? uint16_t(pick(0, 4) * 0x0101) : 0;
            rendered.m.mainMemory->writeWord(from + a, word);
            skipped.m.mainMemory->writeWord(from + a, word);
        }
    };
    for (int trial = 0; trial < 1000; ++trial) {
        Script s;
        s.block = 0x30000 + 2 * pick(0, 0x8000);
        s.length = uint16_t(pick(0, 0x300));
        s.period = uint16_t(pick(100, 1200));
        s.volume = uint16_t(pick(0, 64));
        s.intena = pick(0, 1) ? 0xC080 : 0x0080;
        for (auto& c : s.ticks)
            c = {pick(0, 3) == 0, pick(0, 1) == 0, s.block + 2 * pick(0, 0x200), uint16_t(pick(1, 0x300)), uint16_t(pick(0, 64))};
        const int32_t loudness = int32_t(pick(0, 2) == 0 ? 1 : pick(0, 1) ? 164 : pick(1, 8192));
        // Silent, noisy and quiet blocks; or a silent one whose only loud byte is
        // one of the word held when a tick starts: fetched before the tick, played
        // within it; or a short silent block, repeated many times a tick, with one
        // loud byte that a tick may start past.
        const uint32_t kind = pick(0, 4);
        fill(s.block, kind);
        if (kind == 4) {
            s.length = uint16_t(pick(1, 24));
            const uint32_t loudByte = s.block + pick(0, 2u * s.length - 1);
            rendered.m.mainMemory->writeByte(loudByte, 0x80);
            skipped.m.mainMemory->writeByte(loudByte, 0x80);
        }
        if (kind == 3) {
            const int at = int(pick(1, 11));
            start(rendered.chips(), s);
            for (int tick = 0; tick < at; ++tick) {
                change(rendered.chips(), s, tick);
                renderChannelTick(rendered.chips(), 0, out.data());
            }
            const uint32_t held = rendered.channel(0).pointer - 1 - pick(0, 1);
            rendered.m.mainMemory->writeByte(held, 0x80);
            skipped.m.mainMemory->writeByte(held, 0x80);
        }
        start(rendered.chips(), s);
        start(skipped.chips(), s);
        for (int tick = 0; tick < 12; ++tick) {
            change(rendered.chips(), s, tick);
            change(skipped.chips(), s, tick);
            const int32_t count = renderChannelTick(rendered.chips(), 0, out.data());
            bool loud = false;
            for (int32_t i = 0; i < count; ++i) loud = loud || std::fabs(out[size_t(i)]) * 16384.0f >= float(loudness);
            bool heard = false;
            ASSERT_EQ(skipChannelTick(skipped.chips(), 0, loudness, heard), count) << trial << " " << tick;
            ASSERT_TRUE(sameChannel(rendered.channel(0), skipped.channel(0))) << trial << " " << tick;
            ASSERT_EQ(rendered.chips().intreq, skipped.chips().intreq) << trial << " " << tick;
            ASSERT_EQ(heard, loud) << trial << " " << tick;
            ++(heard ? heardTicks : silentTicks);
        }
    }
    // Both outcomes were tried often.
    EXPECT_GT(heardTicks, 1000);
    EXPECT_GT(silentTicks, 1000);
}

} // namespace
} // namespace varno
