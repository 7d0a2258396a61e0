// The EASO song played by the built-in block tick by tick, as the EASO test player
// calls it: block + 0 once, block + 4 per tick. Every period and volume expected
// here is worked out by hand from the format's rules (see easo_song.cpp).
#include "e2e/e2e_fixture.h"

#include "cpu/cpu.h"
#include "e2e/easo_song.h"
#include "machine/run_routine.h"
#include "amigaos/easo_block.h"
#include "players/player_archive.h"

namespace varno::test {
namespace {

class EasoSong : public E2eTest {
protected:
    void SetUp() override {
        E2eTest::SetUp();
        if (IsSkipped()) return;
        const std::vector<uint8_t> song = easoSong();
        block = machine->system->deliBase->place(song.data(), uint32_t(song.size()), kPlaceBoth);
        ASSERT_NE(block, 0u);
        ASSERT_TRUE(call(block)) << "init";
    }

    bool call(uint32_t address) {
        machine->cpu->processor.cpuState.pc = address;
        return runRoutine(*machine->cpu, nullptr, nullptr) == RUN_BUDGET_SPENT;
    }

    // Runs ticks until tick number t (the first tick is 1).
    void tickTo(int t) {
        while (ticks < t) {
            ASSERT_TRUE(call(block + 4)) << "tick " << ticks + 1;
            ++ticks;
        }
    }

    bool dmaOn(int n) const { return machine->customChips->dmacon & (1u << n); }

    uint32_t block = 0;
    int ticks = 0;
};

TEST_F(EasoSong, InitStopsTheChannelsAndFindsTheData) {
    EXPECT_EQ(machine->customChips->dmacon & 0xF, 0);
    EXPECT_EQ(machine->mainMemory->readLong(block + 0x0C), block + kEasoBlockSize);
    EXPECT_EQ(machine->mainMemory->readLong(block + 0x14), block + kEasoBlockSize + 0x38);
}

// Instrument 1, note 25: period 856 + (1 << 3) = 864, fine-tune shift 5 - 25 / 12 = 3.
// Volume envelope 64, 48, 32, loop, every 2 ticks from tick 1 (delay 1); pitch
// envelope +4, -4, loop, every 2 ticks from tick 3 (delay 3); hold 10 + 1 ticks.
TEST_F(EasoSong, EnvelopesLoopAndTheHoldStopsTheNote) {
    const struct {
        uint16_t period, volume;
    } expected[] = {{864, 64}, {864, 64}, {868, 48}, {868, 48}, {864, 32},
                    {864, 32}, {868, 64}, {868, 64}, {864, 48}, {864, 48}};
    for (int t = 1; t <= 10; ++t) {
        tickTo(t);
        EXPECT_EQ(channel(0).period, expected[t - 1].period) << "tick " << t;
        EXPECT_EQ(channel(0).volume, expected[t - 1].volume) << "tick " << t;
        EXPECT_TRUE(dmaOn(0)) << "tick " << t;
    }
    EXPECT_EQ(channel(0).length, 8) << "a held note loops its whole sample";
    tickTo(11);
    EXPECT_FALSE(dmaOn(0)) << "the hold has run out";
    EXPECT_EQ(channel(0).location, block + 8) << "points at the silent words";
    tickTo(16);
    EXPECT_FALSE(dmaOn(0)) << "row 0 is never played again: the jump goes to entry 1";
    EXPECT_EQ(channel(0).period, 864);
}

// Instrument 2, note 37 (428): arpeggio offsets +4, +7 and +12 starting at step 3,
// so +12, 0, +4, +7, +12, ...; the fine-tune (+5 << 2) only shows before the first tick.
TEST_F(EasoSong, ArpeggioCyclesThroughItsOffsetsWithoutTheFineTune) {
    const int offsets[] = {12, 0, 4, 7, 12, 0, 4, 7};
    for (int t = 1; t <= 8; ++t) {
        tickTo(t);
        EXPECT_EQ(channel(1).period, easoPeriod(37 + offsets[t - 1])) << "tick " << t;
        EXPECT_EQ(channel(1).volume, 50) << "tick " << t;
    }
    EXPECT_EQ(easoPeriod(49), 214);
    EXPECT_EQ(channel(1).length, 1) << "hold 0: the sample is played once";
    EXPECT_TRUE(dmaOn(1));
}

// Instrument 3, note 13: a first arpeggio offset of 0 sends the step to 2, so only
// +3 and the note alternate: +3, 0, 0, +3, 0, 0. Its volume envelope (delay 2,
// speed 1) gives 5 (initial), 10, 20, then ends at 0x80 and keeps 20.
TEST_F(EasoSong, ZeroArpeggioOffsetSkipsAStepAndAnEnvelopeEnds) {
    const int offsets[] = {3, 0, 0, 3, 0, 0, 3};
    const uint16_t volumes[] = {5, 10, 20, 20, 20, 20, 20};
    for (int t = 1; t <= 7; ++t) {
        tickTo(t);
        EXPECT_EQ(channel(3).period, easoPeriod(13 + offsets[t - 1])) << "tick " << t;
        EXPECT_EQ(channel(3).volume, volumes[t - 1]) << "tick " << t;
    }
}

// Rows 0-1 at speed 3 take ticks 1-6; row 2 (entry 1, speed 2) comes at tick 7,
// row 3 at 9, and the jump back to entry 1 replays row 2 at 11 and 15. Its note 50
// (202) with fine-tune -3 << 1 is 196; hold 2 stops it two ticks after each start.
TEST_F(EasoSong, PositionListJumpReplaysEntryOneAtItsSpeed) {
    const bool on[] = {false, false, false, false, false, false, true, true,
                       false, false, true,  true,  false, false, true, true};
    for (int t = 1; t <= 16; ++t) {
        tickTo(t);
        EXPECT_EQ(dmaOn(2), on[t - 1]) << "tick " << t;
        if (on[t - 1]) {
            EXPECT_EQ(channel(2).period, 196) << "tick " << t;
            EXPECT_EQ(channel(2).volume, 30) << "tick " << t;
        }
    }
}

} // namespace
} // namespace varno::test
