// Our test players end to end: the catalogue built from the test xmp-varno.dat,
// detection, set-up, subsongs, tick sources and the audio they produce.
#include <cmath>

#include "e2e/session_fixture.h"

#include "e2e/easo_song.h"
#include "hardware/cia.h"

namespace varno::test {
namespace {

using Players = SessionTest;

TEST_F(Players, CatalogueHoldsTheArchiveInItsOrder) {
    const PlayerArchive* catalogue = ensureCatalogue(*machine);
    ASSERT_NE(catalogue, nullptr);
    const char* names[] = {"Varno Test Interrupt",       "Varno Test Garbage Check", "Varno Test StartInt",
                           "Varno Test VBlank",          "Varno Test Silent Driver", "Varno Test Audio Interrupts",
                           "Varno Test Files",           "Varno Test DOS",           "Varno Test EASO",
                           "Varno Test Illegal Check",   "Varno Test Endless Tick",  "Varno Test Memory Hog",
                           "Varno Test Hang",            "Varno Test Wrecker",       "Varno Test Filter"};
    ASSERT_EQ(catalogue->count, 16u);
    for (uint32_t i = 1; i < 16; ++i) {
        ASSERT_NE(catalogue->player(i), nullptr) << i;
        EXPECT_STREQ(catalogue->player(i)->playerName, names[i - 1]) << i;
    }
    EXPECT_STREQ(catalogue->player(1)->creatorText, "Varno team\r\tsecond line\r\tthird line");
    EXPECT_STREQ(catalogue->player(3)->formatTag, "VT2") << "prefix from GetModuleInfo, run at load";
    EXPECT_STREQ(catalogue->player(4)->formatTag, "VT3") << "prefix from NewModuleInfo";
    EXPECT_EQ(catalogue->player(3)->kind, kPlayerEagle);
    EXPECT_EQ(catalogue->player(1)->kind, kPlayerDeliTracker);
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// Each magic finds its own player; the garbage check (index 2, before most of them)
// answers 0x10000 to everything and must never count as an acceptance.
TEST_F(Players, EveryModuleFindsItsOwnPlayer) {
    const struct {
        const char* magic;
        int32_t index;
    } cases[] = {{"VTS1", 1}, {"VTS2", 3}, {"VTS3", 4}, {"VTS4", 5},  {"VTS5", 6},  {"VTS6", 7},
                 {"VTS7", 8}, {"VTBL", 11}, {"VTBM", 12}, {"VTBH", 13}, {"VTBW", 14},
                 {"VTS9", 15}, {"VTBG", -1}, {"XXXX", -1}};
    for (const auto& c : cases) {
        const std::string path = write(std::string(c.magic) + ".mod", module(c.magic));
        EXPECT_EQ(identify(path), c.index) << c.magic;
        EXPECT_EQ(check(path), c.index > 0) << c.magic;
    }
    const std::vector<uint8_t> song = easoSong();
    EXPECT_EQ(identify(write("song.easo", song)), 9) << "the EASO player sees the block in front of the data";
    EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(Players, QuickChecksLoadNothing) {
    ASSERT_TRUE(open(write("one.vts1", module("VTS1", "First Song"))));
    const uint32_t listed = machine->system->deliBase->listCount;
    EXPECT_TRUE(check(write("two.vts6", module("VTS6"))));
    EXPECT_EQ(machine->system->deliBase->listCount, listed);
}

// VTS1: CIA-B timer A at the default latch, subsongs 1-3, the title, song ends.
TEST_F(Players, InterruptTagRunsOnTheDefaultCiaBTimer) {
    ASSERT_TRUE(open(write("one.vts1", module("VTS1", "First Song"))));
    EXPECT_EQ(songRecord->playerIndex, 1);
    EXPECT_EQ(songRecord->firstSubsong, 1u);
    EXPECT_EQ(songRecord->lastSubsong, 3u);
    EXPECT_EQ(songRecord->subsongCount, 3u);
    EXPECT_EQ(songRecord->currentSubsong, 1u);
    EXPECT_STREQ(songRecord->songTitle, "First Song");
    EXPECT_EQ(songRecord->timerSource, 3u);
    EXPECT_NEAR(songRecord->tickSeconds, 14188 / kCiaHz, 1e-6);
    EXPECT_EQ(songRecord->samplesPerTick, 960);
    EXPECT_EQ(machine->ciaB->TALO | machine->ciaB->TAHI << 8, 14188);

    // Subsong 1: period 200, a 16-byte wave: 3546895 / 3200 = 1108.4 Hz.
    ASSERT_EQ(renderFrames(24000), 24000);
    EXPECT_NEAR(risingCrossings(0, 24000), 1108.4 / 2, 3);
    EXPECT_GT(peak(), 0.1f);
}

TEST_F(Players, SongEndSignalEndsTheSongAndRecordsItsLength) {
    std::vector<float> lengths;
    PortableHost::instance().onLength = [&](float s) { lengths.push_back(s); };
    ASSERT_TRUE(open(write("one.vts1", module("VTS1", "First Song"))));
    // 50 ticks of 14188 CIA counts. The output stops with the tick that signalled
    // the end; the two ticks run ahead at the start are not rendered.
    const double oneSecond = 50 * 14188 / kCiaHz;
    const int32_t frames = renderToEnd();
    EXPECT_GE(frames, 48 * 960);
    EXPECT_NEAR(songRecord->subsongSeconds[1], oneSecond, 0.021);
    EXPECT_EQ(frames, std::lround(double(songRecord->subsongSeconds[1]) * 48000)) << "the render lasts the length";
    ASSERT_FALSE(lengths.empty());
    EXPECT_NEAR(lengths.back(), oneSecond, 0.021);
    EXPECT_EQ(renderFrames(960), 0) << "an ended song renders nothing more";

    // Subsong 2 (index 1 from the first) lasts 100 ticks.
    startSubsong(*machine, *songRecord, 1, false);
    EXPECT_EQ(songRecord->currentSubsong, 2u);
    EXPECT_EQ(machine->lowMemory->readWord(deliBase() + dtgSndNum), 2);
    renderToEnd();
    EXPECT_NEAR(songRecord->subsongSeconds[2], 2 * oneSecond, 0.021);
    EXPECT_NEAR(songRecord->totalSeconds, 3 * oneSecond, 0.042);
    PortableHost::instance().onLength = nullptr;

    // Looping: the song still sounds, so only the signal and the time are cleared.
    EXPECT_TRUE(restartIfEnded(*machine, *songRecord));
    EXPECT_EQ(songRecord->elapsedSeconds, 0.0f);
    EXPECT_EQ(renderFrames(960), 960);
    EXPECT_EQ(songRecord->currentSubsong, 2u);
}

// Subsong 3 sets dtg_Timer to 28376 and calls the set-timer callback on its first
// tick: from then on a tick lasts 40 ms, and 25 of them make one second.
TEST_F(Players, SetTimerCallbackLoadsTheTimerWord) {
    ASSERT_TRUE(open(write("one.vts1", module("VTS1", "First Song"))));
    startSubsong(*machine, *songRecord, 2, false);
    EXPECT_EQ(songRecord->currentSubsong, 3u);
    EXPECT_EQ(machine->ciaB->TALO | machine->ciaB->TAHI << 8, 28376);
    EXPECT_EQ(songRecord->samplesPerTick, 1920);
    EXPECT_NEAR(songRecord->tickSeconds, 28376 / kCiaHz, 1e-6);
    renderToEnd();
    EXPECT_NEAR(songRecord->subsongSeconds[3], 25 * 28376 / kCiaHz, 0.041);
}

TEST_F(Players, SubsongOutsideTheRangeIsIgnored) {
    ASSERT_TRUE(open(write("one.vts1", module("VTS1", "First Song"))));
    startSubsong(*machine, *songRecord, 3, false);  // subsong 4 does not exist
    EXPECT_EQ(songRecord->currentSubsong, 1u);
    EXPECT_EQ(renderFrames(960), 960);
}

// VTS2: StartInt claims CIA-A timer A with a latch of 8192; NewSubSongRange 2-4;
// GetModuleInfo's title and prefix.
TEST_F(Players, StartIntWithItsOwnCiaATimer) {
    ASSERT_TRUE(open(write("two.vts2", module("VTS2"))));
    EXPECT_EQ(songRecord->playerIndex, 3);
    EXPECT_EQ(songRecord->firstSubsong, 2u);
    EXPECT_EQ(songRecord->lastSubsong, 4u);
    EXPECT_EQ(songRecord->subsongCount, 3u);
    EXPECT_STREQ(songRecord->songTitle, "Info Title");
    EXPECT_STREQ(songRecord->formatName, "VT2");
    EXPECT_EQ(songRecord->timerSource, 1u);
    const double tick = 8192 / kCiaHz;
    EXPECT_NEAR(songRecord->tickSeconds, tick, 1e-6);
    EXPECT_EQ(songRecord->samplesPerTick, 554);  // 554.3 rounded
    const uint32_t before = result(0);
    EXPECT_GE(before, 1u) << "ticks run ahead at the start";
    ASSERT_EQ(renderFrames(48000), 48000);
    EXPECT_NEAR(double(result(0) - before), 1.0 / tick, 2) << "the routine got the module as IS_DATA in A1";
    // Subsong 2: period 200.
    EXPECT_NEAR(risingCrossings(0, 48000), kPaulaHz / 200 / 16, 4);
}

// VTS3: a vertical-blank server through AddIntServer, NextSong probing, NewModuleInfo.
TEST_F(Players, VerticalBlankServerRunsAtFiftyHertz) {
    ASSERT_TRUE(open(write("three.vts3", module("VTS3"))));
    EXPECT_EQ(songRecord->playerIndex, 4);
    EXPECT_EQ(songRecord->firstSubsong, 0u);
    EXPECT_EQ(songRecord->lastSubsong, 2u);
    EXPECT_EQ(songRecord->subsongCount, 3u);
    EXPECT_STREQ(songRecord->songTitle, "Vblank Title");
    EXPECT_STREQ(songRecord->formatName, "VT3");
    EXPECT_EQ(songRecord->timerSource, 3u);
    EXPECT_EQ(songRecord->samplesPerTick, 960);
    const uint32_t before = result(0);
    ASSERT_EQ(renderFrames(48000), 48000);
    EXPECT_NEAR(double(result(0) - before), 50, 1);
    EXPECT_GT(peak(), 0.1f);
}

// VTS4: nothing runs per tick, Paula plays the loop on its own, no time passes.
TEST_F(Players, PlayerWithoutInterruptStillSounds) {
    ASSERT_TRUE(open(write("four.vts4", module("VTS4"))));
    EXPECT_EQ(songRecord->playerIndex, 5);
    EXPECT_EQ(songRecord->timerSource, 0u);
    EXPECT_EQ(songRecord->timerCode, 0u);
    EXPECT_EQ(songRecord->subsongCount, 1u);
    ASSERT_EQ(renderFrames(48000), 48000);
    EXPECT_GT(peak(), 0.1f);
    EXPECT_NEAR(risingCrossings(0, 48000), kPaulaHz / 400 / 16, 4);
    EXPECT_EQ(songRecord->elapsedSeconds, 0.0f);
}

// VTS5: the audio interrupt feeds channel 0 a 128-byte block at a time (443 x 128
// Paula clocks = 16.0 ms each), and every tick causes a software interrupt.
TEST_F(Players, AudioInterruptsFeedBlocksAndCauseRunsSoftInterrupts) {
    ASSERT_TRUE(open(write("five.vts5", module("VTS5"))));
    EXPECT_EQ(songRecord->playerIndex, 6);
    const uint32_t blocksBefore = result(0);
    ASSERT_EQ(renderFrames(48000), 48000);
    const double block = 443.0 * 128 / kPaulaHz;
    EXPECT_NEAR(double(result(0) - blocksBefore), 1.0 / block, 3);
    EXPECT_GE(result(8), 50u);
    EXPECT_EQ(result(4), result(8)) << "one software interrupt per tick, with its data in A1";
    // Alternating blocks of +64 and -64: a square wave of two blocks per cycle.
    EXPECT_NEAR(risingCrossings(0, 48000), 1.0 / (2 * block), 2);
    EXPECT_GT(peak(), 0.1f);
}

// VTS6: the load-file callbacks with list data and path building, and the code patch.
TEST_F(Players, LoadFileListDataPathsAndCodePatch) {
    std::vector<uint8_t> sample = {'S', 'M', 'P', '6'};
    for (int i = 0; i < 60; ++i) sample.push_back(i % 20 < 10 ? 0x50 : 0xB0);  // 3 cycles
    write("vts6.smp", sample);
    std::vector<uint8_t> instruments = {'I', 'N', 'S', '6', 1, 2, 3, 4, 5, 6};
    write("song.vts6.ins", instruments);
    ASSERT_TRUE(open(write("song.vts6", module("VTS6"))));
    EXPECT_EQ(songRecord->playerIndex, 7);
    EXPECT_EQ(result(0), 0u) << "load of vts6.smp";
    EXPECT_EQ(result(4), 64u);
    EXPECT_EQ(result(8), fourCc("SMP6"));
    EXPECT_EQ(result(12), 0u) << "load through the second entry, path from directory, file name and suffix";
    EXPECT_EQ(result(16), fourCc("INS6"));
    EXPECT_EQ(result(20), 10u);
    EXPECT_EQ(result(24), 255u) << "a missing file";
    EXPECT_EQ(result(28), 0u) << "list entry past the last: size";
    EXPECT_EQ(result(32), 0u) << "list entry past the last: address";
    EXPECT_EQ(result(36), 128u) << "list entry 0 is the module";
    EXPECT_EQ(machine->system->deliBase->listCount, 3u);
    EXPECT_EQ(result(48), 1u) << "the routine before the patch";
    EXPECT_EQ(result(44), 0u) << "wrong patch arguments clear the start address";
    EXPECT_EQ(result(40), 7u) << "the patched routine jumps to the replacement";
    ASSERT_EQ(renderFrames(48000), 48000);
    EXPECT_GT(peak(), 0.1f) << "the loaded sample plays";
    EXPECT_NEAR(risingCrossings(0, 48000), kPaulaHz / 428 / 20, 4);
}

// EASO: the block placed in front of the data is found and driven by the player.
TEST_F(Players, EasoSongPlaysThroughItsPlayer) {
    ASSERT_TRUE(open(write("song.easo", easoSong())));
    EXPECT_EQ(songRecord->playerIndex, 9);
    EXPECT_EQ(songRecord->timerSource, 3u);
    ASSERT_EQ(renderFrames(12000), 12000);
    EXPECT_GT(peak(), 0.1f);
    // The arpeggio channel keeps stepping through 428, 339, 285, 214.
    const uint16_t p = channel(1).period;
    EXPECT_TRUE(p == 428 || p == 339 || p == 285 || p == 214) << p;
}

// A module that is an executable with its own player: catalogue entry 0.
TEST_F(Players, CustomModulePlaysWithItsOwnPlayer) {
    const std::vector<uint8_t> file = readFile(playersDirectory() + "vts_custom");
    ASSERT_FALSE(file.empty());
    EXPECT_TRUE(isCustomModule(file.data(), uint32_t(file.size())));
    const std::vector<uint8_t> archivePlayer = readFile(playersDirectory() + "vts1_interrupt");
    EXPECT_FALSE(isCustomModule(archivePlayer.data(), uint32_t(archivePlayer.size())));
    const std::string path = write("custom.exe", file);
    EXPECT_TRUE(check(path));
    EXPECT_EQ(identify(path), 0);
    ASSERT_TRUE(open(path));
    EXPECT_EQ(songRecord->playerIndex, 0);
    EXPECT_STREQ(songRecord->formatName, "CUST");
    EXPECT_EQ(songRecord->subsongCount, 2u);
    const int32_t frames = renderToEnd();
    EXPECT_GE(frames, 8 * 960) << "ten ticks, less the two run ahead";
    EXPECT_LE(frames, 10 * 960);
    EXPECT_NEAR(songRecord->subsongSeconds[0], 10 * 14188 / kCiaHz, 0.021);
    EXPECT_NEAR(risingCrossings(0, size_t(frames)), frames / 48000.0 * kPaulaHz / 250 / 16, 3);
    closeModule(*machine, *songRecord);
    EXPECT_EQ(identify(write("one.vts1", module("VTS1"))), 1) << "archive players are back after close";
}

} // namespace
} // namespace varno::test
