// Paula's DMA state machine, sample for sample, against sequences traced by
// hand from the hardware rules: start transient, block restarts, interrupts
// requested at block starts, and the channel falling silent.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "hardware/hardware_fixture.h"

namespace varno {
namespace {

using test::HardwareFixture;

constexpr uint32_t A = 0x30000;       // sample block in main memory
constexpr uint32_t DMACON = 0xDFF096, INTENA = 0xDFF09A, INTREQ = 0xDFF09C;

// Byte b at full volume: b / 256.
constexpr float at64(int b) { return float(b) / 256.0f; }

std::vector<float> renderTick(HardwareFixture& f, int n) {
    std::vector<float> out(65536, 99.0f);
    out.resize(size_t(renderChannelTick(f.chips(), n, out.data())));
    return out;
}

TEST(PaulaChannel, SamplesPerTickFollowLatchAndPeriod) {
    struct Row { uint16_t latch; uint16_t period; size_t count; };
    const Row rows[] = {
        {14188, 113, 627}, {14188, 428, 165}, {14188, 0, 1},  // period 0 is stored as 0xFFFF
        {14188, 5000, 14}, {65535, 113, 2899}, {14236, 428, 166},
    };
    for (const Row& r : rows) {
        HardwareFixture f;
        f.song.timerSource = 3;
        f.m.ciaB->TALO = uint8_t(r.latch);
        f.m.ciaB->TAHI = uint8_t(r.latch >> 8);
        f.program(2, A, 4, r.period, 64);
        f.writeWord(DMACON, 0x8204);
        EXPECT_EQ(renderTick(f, 2).size(), r.count) << r.latch << " " << r.period;
    }
}

// The part of a sample period left at the end of a tick counts towards the next
// one: over many ticks a channel plays as many samples as its period makes, so
// low notes keep their pitch (856 would otherwise lose 0.9 in 82.9 samples).
TEST(PaulaChannel, CyclesLeftAtATicksEndCarryOver) {
    for (uint16_t period : {113, 428, 856, 1017, 5000}) {
        HardwareFixture f;
        f.program(2, A, 4, period, 64);
        f.writeWord(DMACON, 0x8204);
        size_t total = 0;
        for (int tick = 0; tick < 500; ++tick) total += renderTick(f, 2).size();
        EXPECT_EQ(total, size_t(500u * 5 * 14188 / period)) << period;
    }
}

TEST(PaulaChannel, PlaysBlocksAsTheDmaStepsDictate) {
    // Words at A: 0x1020, 0x3040, 0x80FF, 0x7F7F.
    const float w0h = at64(0x10), w0l = at64(0x20), w1h = at64(0x30), w1l = at64(0x40);
    const float w2h = at64(-128), w2l = at64(-1), w3h = at64(0x7F);
    struct Row {
        const char* name;
        uint16_t length;
        uint16_t intena;   // written before the start
        std::vector<float> expected;
    };
    const Row rows[] = {
        // Start transient (word at A + 2 twice), then the block A..A+4 loops.
        {"length 3 looping", 3, 0x0000,
         {w1h, w1l, w1h, w1l, w2h, w2l, w0h, w0l, w1h, w1l, w2h, w2l, w0h, w0l}},
        // Length 1 (and 0) loops the first word after the transient.
        {"length 1", 1, 0x0000, {w1h, w1l, w1h, w1l, w0h, w0l, w0h, w0l, w0h, w0l, w0h, w0l, w0h, w0l}},
        {"length 0", 0, 0x0000, {w1h, w1l, w1h, w1l, w0h, w0l, w0h, w0l, w0h, w0l, w0h, w0l, w0h, w0l}},
        {"length 4", 4, 0x0000,
         {w1h, w1l, w1h, w1l, w2h, w2l, w3h, w3h, w0h, w0l, w1h, w1l, w2h, w2l}},
        // Enabled interrupt that nobody serves: the block ends and the channel falls silent.
        {"unserved interrupt", 3, 0x8080, {w1h, w1l, w1h, w1l, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        HardwareFixture f;
        f.placeWords(A, {0x1020, 0x3040, 0x80FF, 0x7F7F});
        f.program(0, A, r.length, 5000, 64); // 14 samples per tick at the default latch
        f.writeWord(INTENA, r.intena);
        f.writeWord(DMACON, 0x8201);
        EXPECT_EQ(renderTick(f, 0), r.expected);
    }
}

TEST(PaulaChannel, StartRequestsInterruptAndBlocksKeepRequesting) {
    HardwareFixture f;
    f.placeWords(A, {0x0102, 0x0304});
    f.program(1, A, 1, 5000, 64);
    f.writeWord(DMACON, 0x8202);
    EXPECT_EQ(f.chips().intreq, 0x0100); // requested during the DMACON write
    f.writeWord(INTREQ, 0x0100);
    // Length 1: the first block ends at the second sample, and every two after.
    PaulaChannel& ch = f.channel(1);
    int requests = 0;
    for (int i = 0; i < 8; ++i) {
        stepChannel(f.chips(), 1);
        if (f.chips().intreq & 0x0100) {
            ++requests;
            f.writeWord(INTREQ, 0x0100);
        }
    }
    EXPECT_EQ(requests, 4);
    EXPECT_TRUE(ch.state == kPaulaLowByte || ch.state == kPaulaHighByte);
}

TEST(PaulaChannel, VolumeScalesEverySample) {
    HardwareFixture f;
    f.placeWords(A, {0x0000, 0x7F80});
    f.program(3, A, 2, 5000, 32);
    f.writeWord(DMACON, 0x8208);
    std::vector<float> out = renderTick(f, 3);
    ASSERT_GE(out.size(), 2u);
    EXPECT_EQ(out[0], 0.5f * 127.0f / 256.0f);
    EXPECT_EQ(out[1], 0.5f * -128.0f / 256.0f);

    f.writeWord(0xDFF0D8, 0);
    for (float v : renderTick(f, 3)) EXPECT_EQ(v, 0.0f);

    // Volume 1, sample -1: the smallest step, exact in a float.
    f.placeWords(A, {0xFFFF, 0xFFFF});
    f.writeWord(0xDFF0D8, 1);
    f.writeWord(DMACON, 0x0008);
    f.writeWord(DMACON, 0x8208);
    out = renderTick(f, 3);
    EXPECT_EQ(out[0], -1.0f / 16384.0f);
}

TEST(PaulaChannel, NewLocationAndLengthWaitForTheRestart) {
    HardwareFixture f;
    const uint32_t B = 0x40000;
    f.placeWords(A, {0x0101, 0x0202});
    f.placeWords(B, {0x0A0B, 0x0C0D, 0x0E0F});
    f.program(0, A, 2, 5000, 64);
    f.writeWord(DMACON, 0x8201);
    f.writeLong(0xDFF0A0, B);
    f.writeWord(0xDFF0A4, 3);
    // Length 2: the fetch at the first block end already took A + 2, which is
    // played before the restart at B.
    const std::vector<float> expected = {at64(2), at64(2), at64(2), at64(2), at64(0xA), at64(0xB), at64(0xC),
                                         at64(0xD), at64(0xE), at64(0xF), at64(0xA), at64(0xB), at64(0xC), at64(0xD)};
    EXPECT_EQ(renderTick(f, 0), expected);
}

TEST(PaulaChannel, StoppingSilencesAndDmaOffRendersNothing) {
    HardwareFixture f;
    f.placeWords(A, {0x4040, 0x4040});
    f.program(0, A, 2, 5000, 64);
    f.writeWord(DMACON, 0x8201);
    EXPECT_EQ(renderTick(f, 0).size(), 14u);
    f.writeWord(DMACON, 0x0001);
    EXPECT_EQ(f.channel(0).state, kPaulaIdle);
    EXPECT_EQ(f.channel(0).sample, 0);
    EXPECT_EQ(f.channel(0).dataWord, 0);
    EXPECT_TRUE(renderTick(f, 0).empty());
    EXPECT_EQ(renderChannelTick(f.chips(), 0, nullptr), 0);
    // Restarting plays the transient again.
    f.writeWord(DMACON, 0x8001);
    EXPECT_EQ(renderTick(f, 0).front(), at64(0x40));
    // Master enable off: nothing, whatever the channel bits were.
    f.writeWord(DMACON, 0x0200);
    EXPECT_TRUE(renderTick(f, 0).empty());
}

TEST(PaulaChannel, StopInsideTheTickGivesZerosForTheRest) {
    HardwareFixture f;
    f.placeWords(A, {0x2020, 0x2020});
    f.program(0, A, 2, 5000, 64);
    f.writeWord(DMACON, 0x8201);
    // A stop with the bit left on but the state idle: steps give 0 from then on.
    f.channel(0).state = kPaulaIdle;
    std::vector<float> out = renderTick(f, 0);
    ASSERT_EQ(out.size(), 14u);
    EXPECT_EQ(out[0], at64(0x20)); // the sample current before the first step
    for (size_t i = 1; i < out.size(); ++i) EXPECT_EQ(out[i], 0.0f) << i;
}

TEST(PaulaChannel, SamplesOutsideMainMemoryAreSilent) {
    HardwareFixture f;
    f.m.lowMemory->writeWord(0x1000, 0x7F7F);
    f.m.lowMemory->writeWord(0x1002, 0x7F7F);
    f.program(0, 0x1000, 2, 5000, 64);
    f.writeWord(DMACON, 0x8201);
    for (float v : renderTick(f, 0)) EXPECT_EQ(v, 0.0f);
    // Past the end of main memory, and beyond 24 bits after a lone AUDxLCH write.
    for (uint32_t location : {0x5FFFFEu, 0xFFFF0000u}) {
        f.writeWord(DMACON, 0x0001);
        f.channel(0).location = location;
        f.writeWord(DMACON, 0x8001);
        for (float v : renderTick(f, 0)) EXPECT_EQ(v, 0.0f);
    }
}

} // namespace
} // namespace varno

namespace varno {
namespace {

// The tick's samples played inside a block without the full path must be those
// of stepping the state machine sample by sample: random blocks, lengths,
// periods (ticks ending between a word's bytes or on a block's last word) and
// volumes, with audio interrupts served or not.
TEST(PaulaChannel, BlocksPlayedInOnePassMatchStepByStep) {
    std::mt19937 random(2024);
    auto pick = [&](uint32_t low, uint32_t high) { return std::uniform_int_distribution<uint32_t>(low, high)(random); };
    std::vector<float> out(65536);
    for (int trial = 0; trial < 300; ++trial) {
        HardwareFixture rendered, stepped;
        const uint16_t length = uint16_t(pick(0, 40));
        const uint16_t period = uint16_t(pick(124, 900));
        const uint16_t volume = uint16_t(pick(0, 64));
        const uint16_t intena = pick(0, 1) ? 0xC080 : 0x0000;
        for (HardwareFixture* f : {&rendered, &stepped}) {
            std::mt19937 bytes{uint32_t(trial)};
            for (uint32_t a = 0; a < 2 * 64; a += 2) f->m.mainMemory->writeWord(A + a, uint16_t(bytes()));
            // Straight to each machine's own chips: the register bus reaches the newest machine only.
            CustomChips& chips = f->chips();
            writeAudLch(chips.paulaChannels[0], uint16_t(A >> 16));
            writeAudLcl(chips.paulaChannels[0], uint16_t(A));
            writeAudLen(chips.paulaChannels[0], length);
            writeAudPer(chips.paulaChannels[0], period);
            writeAudVol(chips.paulaChannels[0], volume);
            writeIntena(chips, intena);
            writeDmacon(chips, 0x8201);
        }
        int differing = 0;
        for (int tick = 0; tick < 12; ++tick) {
            const int32_t count = renderChannelTick(rendered.chips(), 0, out.data());
            for (int32_t i = 0; i < count; ++i) {
                const PaulaChannel& ch = stepped.channel(0);
                const float expected = float(double(ch.volume) * 0.015625 * (double(int8_t(uint8_t(ch.sample))) * 0.00390625));
                stepChannel(stepped.chips(), 0);
                differing += out[size_t(i)] != expected;
            }
        }
        EXPECT_EQ(differing, 0) << "length " << length << ", period " << period << ", volume " << volume;
        EXPECT_EQ(rendered.channel(0).pointer, stepped.channel(0).pointer);
        EXPECT_EQ(rendered.channel(0).state, stepped.channel(0).state);
    }
}

} // namespace
} // namespace varno
