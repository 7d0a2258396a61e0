// What the machine's devices and operating system ask about the module reach the
// song the machine was given, and that song alone; without one they get the
// answers for no module.
#include <gtest/gtest.h>

#include <cstring>

#include "hardware/cia.h"
#include "machine/machine_fixture.h"
#include "machine/settings.h"
#include "session/song.h"

namespace varno {
namespace {

using PlayedSongs = test::MachineTest;

// CIA-B timer A's latch written through the machine's bus, as a player writes it.
void writeCiaBTimerA(AmigaMachine& machine, uint16_t latch) {
    const uint32_t writes[2][2] = {{0xBFD400, latch & 0xFFu}, {0xBFD500, uint32_t(latch >> 8)}};
    for (const auto& [address, value] : writes)
        for (const BusRegion* r = machine.cpu->byteWriteList; r->first != kListEnd; ++r)
            if (address >= r->first && address <= r->last && r->write) r->write(address, value, *r);
}

TEST_F(PlayedSongs, EachMachineAsksItsOwnSong) {
    Song otherSong;
    auto other = createMachine(test::fakeHost(), "/x/");
    attachSong(*other, otherSong);
    AmigaMachine* machines[] = {&m(), other.get()};
    Song* songs[] = {&song(), &otherSong};
    const char* const directories[] = {"/mods/", "C:\\Music\\"};
    const char* const names[] = {"one.mod", "two.okt"};
    for (int k = 0; k < 2; ++k) {
        std::strcpy(songs[k]->moduleDirectory, directories[k]);
        std::strcpy(songs[k]->moduleFileName, names[k]);
        songs[k]->timerSource = 3;  // CIA-B timer A paces both
    }

    writeCiaBTimerA(m(), 0x379C);
    machines[1]->signalSongEnd();

    for (int k = 0; k < 2; ++k) {
        SCOPED_TRACE(k);
        const OsOwner& os = *machines[k];
        EXPECT_STREQ(os.directoryOfModule(), directories[k]);
        EXPECT_STREQ(os.fileNameOfModule(), names[k]);
        EXPECT_EQ(songs[k]->songEndSignalled, k == 1 ? 1 : 0);
        EXPECT_EQ(machines[k]->tickLatch(), k == 0 ? 0x379C : kDefaultTimerLatch);
        EXPECT_EQ(songs[k]->samplesPerTick, k == 0 ? 963 : 960) << "only the written machine's song is retimed";
    }
}

TEST_F(PlayedSongs, AMachineWithoutASongAnswersForNoModule) {
    song().timerSource = 3;
    m().song = nullptr;
    writeCiaBTimerA(m(), 0x2000);  // retimes nothing, and does not fail
    m().updateTickLength();
    m().signalSongEnd();
    EXPECT_EQ(m().tickLatch(), kDefaultTimerLatch) << "no song, no pacing timer";
    EXPECT_STREQ(m().directoryOfModule(), "");
    EXPECT_STREQ(m().fileNameOfModule(), "");
    EXPECT_EQ(song().songEndSignalled, 0);
    EXPECT_EQ(song().samplesPerTick, 960) << "as attached";
}

// A song attached later plays at its own rate with the machine's settings.
TEST_F(PlayedSongs, AttachingTakesTheMachinesTickAndSettings) {
    PluginSettings mono;
    mono.stereo_separation = 0;
    mono.surround = 0;
    m().settings = &mono;
    Song later;
    later.sampleRate = 44100;
    attachSong(m(), later);
    EXPECT_EQ(m().song, &later);
    EXPECT_EQ(later.samplesPerTick, 882);
    EXPECT_FLOAT_EQ(later.tickSeconds, float(kDefaultTimerLatch) / (kCpuClockHz / 10.0f));
    EXPECT_EQ(later.channelPan[0][0], later.channelPan[0][1]) << "no separation is mono";
    m().song = &song();
    m().settings = &pluginSettings;
}

} // namespace
} // namespace varno
