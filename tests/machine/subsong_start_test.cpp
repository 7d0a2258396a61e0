// Starting, switching and restarting subsongs.
#include <gtest/gtest.h>

#include <vector>

#include "amigaos/system.h"
#include "cpu/cpu.h"
#include "players/player_archive.h"
#include "session/frame_driver.h"
#include "session/module_session.h"
#include "amigaos/deli_base.h"
#include "players/player_fixture.h"

namespace varno::test {
namespace {

const uint8_t kModule[] = {'S', 'O', 'N', 'G'};

// A player with subsongs first .. last that counts its calls of InitSound,
// StopInt and EndSound, and remembers the subsong InitSound was given.
class SubsongTest : public PlayerTest {
protected:
    void open(int8_t first, uint8_t last) {
        PlayerImage image;
        image.tag(0x8000445B, image.returning(0));  // Check1
        image.tag(0x80004462, image.words({uint16_t(0x7000 | uint8_t(first)), uint16_t(0x7200 | last), 0x4E75}));
        counters_ = image.longWord(0);
        image.longWord(0);
        // InitSound: addq.w #1,initSounds ; move.w 44(a5),subsong ; rts
        const uint32_t initSound = image.words({0x5279});
        image.address(counters_);
        image.words({0x33ED, 0x002C});
        image.address(counters_ + 6);
        image.words({0x4E75});
        image.tag(0x80004465, initSound);
        image.tag(0x80004468, image.counting(counters_ + 2));  // StopInt
        image.tag(0x80004466, image.counting(counters_ + 4));  // EndSound
        image.tag(0x8000445E, image.rts());                   // Interrupt
        installPlayers({image});
        ASSERT_TRUE(openModule(m(), song(), "song.mod", kModule, sizeof kModule));
        entry_ = currentPlayer(m(), song())->entry;
    }
    uint16_t initSounds() { return main().readWord(entry_ + counters_); }
    uint16_t stopInts() { return main().readWord(entry_ + counters_ + 2); }
    uint16_t endSounds() { return main().readWord(entry_ + counters_ + 4); }
    uint16_t subsongSeen() { return main().readWord(entry_ + counters_ + 6); }
    uint16_t subsongWord() { return low().readWord(m().system->deliBase->base + kDeliSubsong); }

private:
    uint32_t counters_ = 0;
    uint32_t entry_ = 0;
};

TEST_F(SubsongTest, OpenStartsTheFirstSubsongWithoutStoppingAnything) {
    open(1, 5);
    EXPECT_EQ(song().currentSubsong, 1u);
    EXPECT_EQ(subsongWord(), 1u);
    EXPECT_EQ(subsongSeen(), 1u) << "InitSound sees the subsong number";
    EXPECT_EQ(initSounds(), 1u);
    EXPECT_EQ(stopInts(), 0u);
    EXPECT_EQ(endSounds(), 0u);
    EXPECT_EQ(song().timerSource, 3u);
    // The first tick runs ahead, to be heard first.
    EXPECT_NEAR(song().elapsedSeconds, song().tickSeconds, 1e-6);
}

TEST_F(SubsongTest, SubsongsCountFromTheFirst) {
    open(1, 5);
    struct Step {
        int32_t request;
        uint32_t current;
        uint16_t initSounds;
    };
    const Step steps[] = {
        {2, 3, 2},   // first + 2
        {4, 5, 3},   // the last one
        {5, 5, 3},   // past the last: ignored
        {-1, 5, 4},  // restart the current one
        {0, 1, 5},
        {63, 1, 5},
        {64, 1, 5},
        {-2, 1, 5},
        {INT32_MAX, 1, 5},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.request);
        startSubsong(m(), song(), s.request, false);
        EXPECT_EQ(song().currentSubsong, s.current);
        EXPECT_EQ(subsongWord(), s.current);
        EXPECT_EQ(initSounds(), s.initSounds);
        EXPECT_EQ(stopInts(), s.initSounds - 1) << "each later start stops the previous sound";
        EXPECT_EQ(endSounds(), s.initSounds - 1);
    }
}

TEST_F(SubsongTest, StartClearsTheSongStateAndReportsAKnownLength) {
    open(0, 2);
    std::vector<float> reported;
    PortableHost::instance().onLength = [&](float seconds) { reported.push_back(seconds); };
    song().subsongSeconds[1] = 60.0f;
    song().songEndSignalled = song().silenceEnded = song().soundHeard = 1;
    song().silentSamples = 1234;
    cpu::raiseInterrupt(processor(), 3, -1);
    startSubsong(m(), song(), 1, false);
    PortableHost::instance().onLength = nullptr;
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0], 60.0f);
    EXPECT_EQ(song().songEndSignalled, 0);
    EXPECT_EQ(song().silenceEnded, 0);
    EXPECT_EQ(song().soundHeard, 0);
    EXPECT_EQ(song().silentSamples, 0);
    EXPECT_EQ(registers().pendingInterrupts & 0x08, 0) << "requests of the previous song are dropped";
}

TEST_F(SubsongTest, NothingStartsOnceTheModuleIsClosed) {
    open(0, 2);
    closeModule(m(), song());
    startSubsong(m(), song(), 1, false);
    startSubsong(m(), song(), -1, false);
    EXPECT_EQ(song().currentSubsong, 0u);
    EXPECT_EQ(subsongWord(), 0u);
    EXPECT_EQ(song().timerCode, 0u);
}

TEST_F(SubsongTest, RestartIfEnded) {
    struct Case {
        const char* what;
        uint8_t songEnd, silenceEnded;
        int32_t silentSamples;
        bool stillRunning;
    };
    const Case cases[] = {
        {"song-end signal with sound still running: only the flags", 1, 0, 0, true},
        {"ended in silence: starts again", 0, 1, 500000, false},
        {"within a silent stretch: starts again", 0, 0, 100, false},
        {"nothing ended", 0, 0, 0, true},
    };
    open(0, 2);
    startSubsong(m(), song(), 2, false);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const uint16_t before = initSounds();
        song().songEndSignalled = c.songEnd;
        song().silenceEnded = c.silenceEnded;
        song().silentSamples = c.silentSamples;
        song().elapsedSeconds = 42.0f;
        EXPECT_EQ(restartIfEnded(m(), song()), c.stillRunning);
        EXPECT_EQ(initSounds(), before + (c.stillRunning ? 0 : 1));
        EXPECT_EQ(song().currentSubsong, 2u) << "the same subsong";
        EXPECT_EQ(song().songEndSignalled, 0);
        EXPECT_EQ(song().silenceEnded, 0);
        EXPECT_EQ(song().silentSamples, 0);
        EXPECT_EQ(song().elapsedSeconds, 0.0f);
    }
}

} // namespace
} // namespace varno::test
