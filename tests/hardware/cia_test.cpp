// The CIAs as register files: address decoding, TODLO, and the tick length
// that follows a timer latch high-byte write.
#include <gtest/gtest.h>

#include <cmath>

#include "hardware/hardware_fixture.h"

namespace varno {
namespace {

using test::HardwareFixture;

uint32_t ciaA(int r) { return 0xBFE001 + 0x100 * uint32_t(r); }
uint32_t ciaB(int r) { return 0xBFD000 + 0x100 * uint32_t(r); }

TEST(Cia, ResetAndReadWriteMap) {
    HardwareFixture f;
    EXPECT_EQ(f.ciaReadByte(ciaA(0)), 0x40u);
    EXPECT_EQ(f.ciaReadByte(ciaB(0)), 0x40u);
    struct Row { int r; uint8_t written; uint32_t read; };
    const Row rows[] = {
        {0, 0x12, 0x12},  // PRA
        {1, 0x34, 0x00},  // PRB is never written
        {2, 0xFE, 0xFE}, {3, 0xFF, 0x00},  // DDRA; DDRB not accessible
        {4, 0x9C, 0x9C}, {5, 0x37, 0x37}, {6, 0x01, 0x01}, {7, 0x02, 0x02},
        {9, 0x55, 0x00}, {10, 0x55, 0x00}, {11, 0x55, 0x00},
        {12, 0x66, 0x00}, // SDR
        {13, 0x81, 0x00}, // ICR is set by the OS emulation, not by writes
        {14, 0x11, 0x11}, {15, 0x19, 0x19},
    };
    for (auto address : {ciaA, ciaB}) {
        for (const Row& r : rows) {
            f.ciaWriteByte(address(r.r), r.written);
            EXPECT_EQ(f.ciaReadByte(address(r.r)), r.read) << "register " << r.r;
        }
    }
    // The other lane and word accesses give 0 and change nothing.
    for (uint32_t a : {0xBFE000u, 0xBFE101u - 1, 0xBFD001u, 0xBFE002u, 0xBFEF01u + 0x10}) EXPECT_EQ(f.ciaReadByte(a), 0u);
    f.ciaWriteByte(0xBFE000, 0x99);
    f.ciaWriteByte(0xBFD001, 0x99);
    EXPECT_EQ(f.m.ciaA->PRA, 0x12);
    EXPECT_EQ(f.m.ciaB->PRA, 0x12);
    EXPECT_EQ(f.ciaReadWord(0xBFE000), 0u);
    EXPECT_EQ(f.ciaReadWord(0xBFD000), 0u);
    f.ciaWriteWord(0xBFD000, 0xFFFF);
    f.ciaWriteWord(0xBFE000, 0xFFFF);
    EXPECT_EQ(f.m.ciaB->PRA, 0x12);
    EXPECT_EQ(f.m.ciaA->PRA, 0x12);

    // ICR and CRA as the OS emulation leaves them read back; reading clears nothing.
    f.m.ciaB->ICR = 0x03;
    EXPECT_EQ(f.ciaReadByte(ciaB(13)), 0x03u);
    EXPECT_EQ(f.ciaReadByte(ciaB(13)), 0x03u);

    resetCia(*f.m.ciaA);
    resetCia(*f.m.ciaB);
    EXPECT_EQ(f.m.ciaA->PRA, 0x40);
    EXPECT_EQ(f.m.ciaA->DDRA, kCiaADdraAtBoot) << "the LED pin is an output, as Kickstart leaves it";
    EXPECT_EQ(f.m.ciaB->DDRA, 0);
    EXPECT_EQ(f.m.ciaA->TALO, 0);
    EXPECT_EQ(f.m.ciaA->CRB, 0);
    EXPECT_EQ(f.m.ciaA->owner, &f.m);
    EXPECT_EQ(f.m.ciaA->header.base, kCiaABase);
}

TEST(Cia, TimeOfDayCountsItsReads) {
    HardwareFixture f;
    EXPECT_EQ(f.ciaReadByte(ciaB(8)), 0u);
    EXPECT_EQ(f.ciaReadByte(ciaB(8)), 1u);
    EXPECT_EQ(f.ciaReadByte(ciaB(8)), 2u);
    for (int i = 3; i < 255; ++i) f.ciaReadByte(ciaB(8));
    EXPECT_EQ(f.ciaReadByte(ciaB(8)), 255u); // the 256th read
    EXPECT_EQ(f.ciaReadByte(ciaB(8)), 0u);
    f.ciaWriteByte(ciaB(8), 0x80);
    EXPECT_EQ(f.ciaReadByte(ciaB(8)), 1u);
    EXPECT_EQ(f.ciaReadByte(ciaA(8)), 0u); // each CIA has its own counter
}

TEST(Cia, HighByteWritesRetimeTheTick) {
    HardwareFixture f;
    f.song.timerSource = 3;
    f.m.updateTickLength();
    EXPECT_EQ(f.song.samplesPerTick, 960);
    f.ciaWriteByte(ciaB(4), 0x9C);
    EXPECT_EQ(f.song.samplesPerTick, 960); // the low byte alone changes nothing yet
    f.ciaWriteByte(ciaB(5), 0x37);
    EXPECT_EQ(f.m.tickLatch(), 14236);
    EXPECT_FLOAT_EQ(f.song.tickSeconds, float(14236 / 709378.9));
    EXPECT_EQ(f.song.samplesPerTick, 963); // 963.3 rounded

    // CIA-A's high byte recomputes from CIA-B timer A: nothing changes.
    f.ciaWriteByte(ciaA(5), 0x20);
    EXPECT_EQ(f.song.samplesPerTick, 963);
    // Timer B's high byte also recomputes, picking up a low byte stored meanwhile.
    f.m.ciaB->TALO = 0x10;
    f.ciaWriteByte(ciaB(7), 0x00);
    EXPECT_EQ(f.song.samplesPerTick, std::lround(0x3710 / 709378.9 * 48000.0));
}

TEST(Cia, CurrentTimerLatchFollowsTimerSource) {
    HardwareFixture f;
    f.m.ciaA->TALO = 0x01; f.m.ciaA->TAHI = 0x10;
    f.m.ciaA->TBLO = 0x02; f.m.ciaA->TBHI = 0x20;
    f.m.ciaB->TALO = 0x03; f.m.ciaB->TAHI = 0x30;
    f.m.ciaB->TBLO = 0x04; f.m.ciaB->TBHI = 0x40;
    const uint16_t expected[] = {14188, 0x1001, 0x2002, 0x3003, 0x4004, 14188, 14188};
    for (uint32_t source = 0; source < 7; ++source) {
        f.song.timerSource = source;
        EXPECT_EQ(f.m.tickLatch(), expected[source]) << source;
    }
    // A latch of 0 plays as the default tick rather than a tick of no length.
    f.song.timerSource = 4;
    f.m.ciaB->TBLO = 0;
    f.m.ciaB->TBHI = 0;
    EXPECT_EQ(f.m.tickLatch(), 14188);
}

} // namespace
} // namespace varno
