// Players that misbehave: the machine reports what they did, in words, and goes on.
#include "e2e/session_fixture.h"

namespace varno::test {
namespace {

using Misbehaving = SessionTest;

// The check of player 10 executes ILLEGAL (vector 4) for "VTBI" data; its D0 was -1.
TEST_F(Misbehaving, IllegalInstructionInACheckIsReportedAndRefuses) {
    const std::string path = write("bad.vtbi", module("VTBI"));
    EXPECT_FALSE(check(path));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("Guru Meditation: exception $10 (vector 4)"), std::string::npos) << errors[0];
    errors.clear();
    EXPECT_EQ(identify(write("one.vts1", module("VTS1"))), 1) << "checks work on after the fault";
    EXPECT_TRUE(errors.empty());
}

// The Interrupt of player 11 loops for ever: the tick is cut off after its bound,
// the message names the player and the routine once, and the song ends.
TEST_F(Misbehaving, TickRoutineThatNeverReturnsEndsTheSong) {
    const bool opened = open(write("loop.vtbl", module("VTBL")));
    EXPECT_TRUE(opened);
    EXPECT_EQ(songRecord->playerIndex, 11);
    ASSERT_EQ(errors.size(), 1u) << "the two ticks run ahead at the start show one message";
    EXPECT_NE(errors[0].find("Emulated CPU did not return in time."), std::string::npos) << errors[0];
    EXPECT_NE(errors[0].find("Varno Test Endless Tick/interrupt"), std::string::npos) << errors[0];
    const size_t shown = errors.size();
    EXPECT_LT(renderFrames(48000), 48000);
    EXPECT_EQ(errors.size(), shown) << "not shown again at every tick: " << errors.back();
    closeModule(*machine, *songRecord);
    errors.clear();
    ASSERT_TRUE(open(write("one.vts1", module("VTS1"))));
    EXPECT_EQ(renderFrames(960), 960) << "the next module plays";
    EXPECT_TRUE(errors.empty());
}

// Player 12 takes all memory in InitPlayer: the 2 GB request is refused, smaller
// blocks are granted until main memory is used up, and nothing breaks.
TEST_F(Misbehaving, PlayerThatTakesAllMemory) {
    ASSERT_TRUE(open(write("hog.vtbm", module("VTBM"))));
    EXPECT_EQ(songRecord->playerIndex, 12);
    EXPECT_EQ(result(0), 0u) << "a request beyond the end of memory gets 0";
    EXPECT_GE(result(4), 8u);
    EXPECT_LE(result(8), kMainMemoryBase + kMainMemorySize - 2) << "every block lies inside main memory";
    EXPECT_GT(result(12), kMainMemorySize / 2) << "most of main memory was handed out";
    EXPECT_EQ(machine->mainMemory->cursor, kMainMemoryBase + kMainMemorySize - kCheckDataReserve)
        << "down to the last two bytes below the room kept for file checks";
    ASSERT_EQ(renderFrames(4800), 4800);
    EXPECT_GT(peak(), 0.1f);
    EXPECT_TRUE(errors.empty()) << errors.front();

    // Opening the next module starts from clean memory again.
    closeModule(*machine, *songRecord);
    ASSERT_TRUE(open(write("one.vts1", module("VTS1", "Again"))));
    EXPECT_EQ(songRecord->playerIndex, 1);
    EXPECT_STREQ(songRecord->songTitle, "Again");
    EXPECT_EQ(renderFrames(960), 960);
}

} // namespace
} // namespace varno::test
