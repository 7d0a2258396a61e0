// Custom-chip registers: SET/CLR semantics, INTEN, the beam counters, the
// INTREQR busy-wait rule and the audio register map.
#include <gtest/gtest.h>

#include "hardware/hardware_fixture.h"

namespace varno {
namespace {

using test::HardwareFixture;

constexpr uint32_t DMACONR = 0xDFF002, VPOSR = 0xDFF004, VHPOSR = 0xDFF006, ADKCONR = 0xDFF010;
constexpr uint32_t INTENAR = 0xDFF01C, INTREQR = 0xDFF01E;
constexpr uint32_t DMACON = 0xDFF096, INTENA = 0xDFF09A, INTREQ = 0xDFF09C, ADKCON = 0xDFF09E;

TEST(CustomChipRegisters, ResetValues) {
    HardwareFixture f;
    f.writeWord(DMACON, 0x820F);
    f.writeWord(INTENA, 0xC780);
    f.writeWord(ADKCON, 0x80FF);
    f.chips().vhposCounter = 77;
    resetCustomChips(f.chips());
    EXPECT_EQ(f.chips().intena, 0x4000);
    EXPECT_EQ(f.chips().intreq, 0);
    EXPECT_EQ(f.chips().dmacon, 0x0200);
    EXPECT_EQ(f.chips().adkcon, 0);
    EXPECT_EQ(f.chips().vhposCounter, 0);
    EXPECT_EQ(f.chips().vposCounter, 0);
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(f.channel(n).period, 0xFFFF);
        EXPECT_EQ(f.channel(n).state, 0u);
        EXPECT_EQ(f.channel(n).volume, 0);
    }
    EXPECT_EQ(f.chips().owner, &f.m); // the device stays attached
}

TEST(CustomChipRegisters, SetClearWritesAndReadBack) {
    struct Row { uint32_t writeAt; uint32_t readAt; std::initializer_list<uint16_t> writes; uint16_t expected; };
    const Row rows[] = {
        // ADKCON: plain SET/CLR, bit 15 never stored.
        {ADKCON, ADKCONR, {0x8011}, 0x0011},
        {ADKCON, ADKCONR, {0x8011, 0x0001}, 0x0010},
        {ADKCON, ADKCONR, {0xFFFF, 0x7FF0}, 0x000F},
        // DMACON keeps bits only while DMAEN is on.
        {DMACON, DMACONR, {0x8010}, 0x0210},
        {DMACON, DMACONR, {0x8010, 0x0200}, 0x0000},
        {DMACON, DMACONR, {0x7FFF, 0x8010}, 0x0000},
        {DMACON, DMACONR, {0x7FFF, 0x8210}, 0x0210},
        // INTENAR hides INTEN, which cannot be cleared.
        {INTENA, INTENAR, {0x4000}, 0x0000},
        {INTENA, INTENAR, {0xC100}, 0x0100},
        {INTENA, INTENAR, {0xC300, 0x7FFF}, 0x0000},
        // INTREQ: SET and CLR; INTENA clear leaves requests standing.
        {INTREQ, 0xDFF01F, {0x8180}, 0x0180},
        {INTREQ, 0xDFF01F, {0x8180, 0x0080}, 0x0100},
    };
    for (const Row& r : rows) {
        HardwareFixture f;
        for (uint16_t v : r.writes) f.writeWord(r.writeAt, v);
        EXPECT_EQ(f.readWord(r.readAt), r.expected) << std::hex << r.writeAt << " " << *r.writes.begin();
    }
}

TEST(CustomChipRegisters, IntenBitSurvivesEveryClear) {
    HardwareFixture f;
    for (uint16_t v : {0x4000, 0x7FFF, 0x0000, 0x3FFF}) {
        f.writeWord(INTENA, v);
        EXPECT_EQ(f.chips().intena & 0x4000, 0x4000) << v;
        EXPECT_EQ(f.readWord(INTENAR) & 0x4000, 0u);
    }
    f.writeWord(INTENA, 0xC000);
    EXPECT_EQ(f.chips().intena, 0x4000);
}

TEST(CustomChipRegisters, OddAndByteReads) {
    HardwareFixture f;
    f.chips().dmacon = 0x0213;
    f.chips().intena = 0x40A0;
    f.chips().intreq = 0x0180;
    f.chips().adkcon = 0x1234;
    EXPECT_EQ(f.readWord(0xDFF003), 0x1300u);
    EXPECT_EQ(f.readByte(0xDFF002), 0x13u);
    EXPECT_EQ(f.readByte(0xDFF003), 0x13u);
    EXPECT_EQ(f.readWord(0xDFF01D), 0xA000u);
    EXPECT_EQ(f.readByte(0xDFF01C), 0xA0u);
    EXPECT_EQ(f.readByte(0xDFF01D), 0xA0u);
    EXPECT_EQ(f.readWord(0xDFF01F), 0x0180u);
    EXPECT_EQ(f.readByte(0xDFF01F), 0x01u);
    EXPECT_EQ(f.readByte(ADKCONR), 0x34u);
    for (uint32_t a : {0xDFF005u, 0xDFF007u, 0xDFF000u, 0xDFF180u, 0xDFF096u, 0xDFF0A0u, 0xDFFFFEu})
        EXPECT_EQ(f.readWord(a), 0u) << std::hex << a;
    for (uint32_t a : {0xDFF004u, 0xDFF005u, 0xDFF011u, 0xDFF000u, 0xDFF0A8u})
        EXPECT_EQ(f.readByte(a), 0u) << std::hex << a;
    // None of these reads moved a beam counter.
    EXPECT_EQ(f.chips().vposCounter, 0);
    EXPECT_EQ(f.chips().vhposCounter, 0);
}

TEST(CustomChipRegisters, BeamCountersMoveOnEveryRead) {
    HardwareFixture f;
    EXPECT_EQ(f.readWord(VPOSR), 1u);
    EXPECT_EQ(f.readWord(VPOSR), 2u);
    EXPECT_EQ(f.readWord(VHPOSR), 1u);
    EXPECT_EQ(f.readByte(VHPOSR), 2u);         // low byte of the incremented counter
    EXPECT_EQ(f.readByte(VHPOSR + 1), 1u);     // high byte steps, low byte restarts
    EXPECT_EQ(f.chips().vhposCounter, 0x0100);
    EXPECT_EQ(f.readWord(VHPOSR), 0x0101u);

    f.chips().vposCounter = 0xFFFF;
    EXPECT_EQ(f.readWord(VPOSR), 0u);           // 16-bit wrap
    f.chips().vhposCounter = 0xFF42;
    EXPECT_EQ(f.readByte(VHPOSR + 1), 0u);
    EXPECT_EQ(f.chips().vhposCounter, 0x0000);
    f.chips().vhposCounter = 0x12FF;
    EXPECT_EQ(f.readByte(VHPOSR), 0x00u);
    EXPECT_EQ(f.chips().vhposCounter, 0x1300);

    // A raster wait for any byte value ends within 256 reads.
    for (uint32_t target : {0x00u, 0x2Cu, 0xFFu}) {
        int reads = 0;
        while (f.readByte(VHPOSR + 1) != target) ASSERT_LT(++reads, 256);
    }
}

TEST(CustomChipRegisters, TightIntreqrPollingSeesAllBitsSet) {
    HardwareFixture f;
    f.chips().intreq = 0x0020;
    auto readAt = [&](uint32_t cycles) {
        f.registers().cycleCounter = cycles;
        return f.readWord(INTREQR);
    };
    readAt(1000);
    readAt(1000); // d = 0 restarts the count whatever came before
    const uint32_t gaps[] = {1, 49, 20, 3, 10};
    uint32_t t = 1000;
    for (uint32_t g : gaps) EXPECT_EQ(readAt(t += g), 0x0020u) << g;
    EXPECT_EQ(readAt(t += 12), 0xFFFFu);   // the sixth quick read
    EXPECT_EQ(readAt(t += 12), 0x0020u);   // and the count starts again
    for (int i = 0; i < 4; ++i) EXPECT_EQ(readAt(t += 1), 0x0020u);
    EXPECT_EQ(readAt(t += 1), 0xFFFFu);

    // A gap of 50 or more, or none at all, restarts the count.
    for (uint32_t restart : {50u, 0u, 1000u}) {
        for (int i = 0; i < 5; ++i) readAt(t += 2);
        EXPECT_EQ(readAt(t += restart), 0x0020u) << restart;
        for (int i = 0; i < 5; ++i) EXPECT_EQ(readAt(t += 2), 0x0020u) << restart;
        EXPECT_EQ(readAt(t += 2), 0xFFFFu) << restart;
    }

    // The byte read follows the same rule and gives the low byte; the odd byte never does.
    readAt(t += 100);
    for (int i = 0; i < 5; ++i) {
        f.registers().cycleCounter = (t += 3);
        EXPECT_EQ(f.readByte(INTREQR), 0x20u);
    }
    f.registers().cycleCounter = (t += 3);
    EXPECT_EQ(f.readByte(INTREQR), 0xFFu);
    for (int i = 0; i < 10; ++i) {
        f.registers().cycleCounter = (t += 3);
        EXPECT_EQ(f.readByte(INTREQR + 1), 0x00u);
    }
}

TEST(CustomChipRegisters, EachMachineCountsItsOwnIntreqrPolling) {
    // The playing machine polls; the length scan's machine polls in between. Each
    // set of chips keeps its own count, so neither breaks the other's busy wait.
    HardwareFixture playing;
    HardwareFixture scanning;
    playing.chips().intreq = 0x0020;
    scanning.chips().intreq = 0x0010;
    auto readAt = [](HardwareFixture& f, uint32_t cycles) {
        f.registers().cycleCounter = cycles;
        return f.readWord(INTREQR);
    };
    uint32_t t = 5000;
    readAt(playing, t);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(readAt(playing, t += 4), 0x0020u) << i;
    EXPECT_EQ(readAt(scanning, t += 4), 0x0010u) << "the scan's first read is not the player's sixth";
    EXPECT_EQ(readAt(playing, t += 4), 0xFFFFu) << "the player's sixth quick read";
}

TEST(CustomChipRegisters, AudioRegisterWrites) {
    HardwareFixture f;
    // A long write to AUD0LCH sets the high then the low half; the low bit drops.
    f.writeLong(0xDFF0A0, 0x00012345);
    EXPECT_EQ(f.channel(0).location, 0x12344u);
    // AUDxLCL keeps only 24 address bits.
    f.writeWord(0xDFF0B0, 0xAB12);
    f.writeWord(0xDFF0B2, 0x3457);
    EXPECT_EQ(f.channel(1).location, 0x123456u);
    f.writeWord(0xDFF0D0, 0x0007);
    EXPECT_EQ(f.channel(3).location, 0x00070000u); // high half alone, low half still 0

    struct PeriodRow { uint16_t written, stored; };
    for (PeriodRow r : {PeriodRow{0, 0xFFFF}, {1, 113}, {112, 113}, {113, 113}, {428, 428}, {0xFFFF, 0xFFFF}}) {
        f.writeWord(0xDFF0C6, r.written);
        EXPECT_EQ(f.channel(2).period, r.stored) << r.written;
    }
    struct VolumeRow { uint16_t written, stored; };
    for (VolumeRow r : {VolumeRow{0, 0}, {1, 1}, {64, 64}, {0x41, 64}, {0x8000, 64}, {0xFFFF, 64}}) {
        f.writeWord(0xDFF0A8, r.written);
        EXPECT_EQ(f.channel(0).volume, r.stored) << r.written;
    }
    f.writeWord(0xDFF0B4, 0x1234);
    f.writeWord(0xDFF0BA, 0xBEEF);
    EXPECT_EQ(f.channel(1).length, 0x1234);
    EXPECT_EQ(f.channel(1).dataWord, 0xBEEF);
    // Writes between the channels' register blocks change nothing.
    PaulaChannel before = f.channel(0);
    f.writeWord(0xDFF0AC, 0x0040);
    f.writeWord(0xDFF0AE, 0x0040);
    EXPECT_EQ(f.channel(0).volume, before.volume);
    EXPECT_EQ(f.channel(0).length, before.length);
}

TEST(CustomChipRegisters, ByteWritesReachOnlyAudioVolume) {
    HardwareFixture f;
    for (int n = 0; n < 4; ++n) {
        const uint32_t vol = 0xDFF0A8 + 16 * uint32_t(n);
        f.writeByte(vol, 0x30);
        EXPECT_EQ(f.channel(n).volume, 0x30);
        f.writeByte(vol + 1, 0x7F);
        EXPECT_EQ(f.channel(n).volume, 64);
        f.writeByte(vol + 1, 0x05);
        EXPECT_EQ(f.channel(n).volume, 5);
    }
    f.writeByte(0xDFF096, 0x82);
    f.writeByte(0xDFF097, 0x0F);
    f.writeByte(0xDFF09A, 0xC0);
    f.writeByte(0xDFF09C, 0x80);
    f.writeByte(0xDFF0A6, 0x01);
    f.writeByte(0xDFF0A0, 0x12);
    EXPECT_EQ(f.chips().dmacon, 0x0200);
    EXPECT_EQ(f.chips().intena, 0x4000);
    EXPECT_EQ(f.chips().intreq, 0);
    EXPECT_EQ(f.channel(0).period, 0xFFFF);
    EXPECT_EQ(f.channel(0).location, 0u);
}

TEST(CustomChipRegisters, DmaconStartsOnlyWithMasterEnable) {
    HardwareFixture f;
    f.writeWord(DMACON, 0x0200);
    EXPECT_EQ(f.chips().dmacon, 0);
    f.writeWord(DMACON, 0x8001);
    EXPECT_EQ(f.chips().dmacon, 0);
    EXPECT_EQ(f.channel(0).state, kPaulaIdle);
    f.writeWord(DMACON, 0x8201);
    EXPECT_EQ(f.chips().dmacon, 0x0201);
    EXPECT_EQ(f.channel(0).state, kPaulaLowByte); // both start steps taken in the write
    EXPECT_EQ(f.chips().intreq, 0x0080);          // the block start requested its interrupt
    // Setting a set bit again does not restart the channel.
    f.channel(0).state = kPaulaHighByte;
    f.writeWord(DMACON, 0x8201);
    EXPECT_EQ(f.channel(0).state, kPaulaHighByte);
    // Clearing DMAEN stops every channel and clears every bit.
    f.writeWord(DMACON, 0x0200);
    EXPECT_EQ(f.chips().dmacon, 0);
    EXPECT_EQ(f.channel(0).state, kPaulaIdle);
}

} // namespace
} // namespace varno
