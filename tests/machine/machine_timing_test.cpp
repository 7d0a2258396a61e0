// Pan gains and frame length of the song record, and the tick length the
// machine's pacing timer gives the song it plays.
#include <gtest/gtest.h>

#include <cmath>

#include "hardware/cia.h"
#include "machine/amiga_machine.h"
#include "machine/settings.h"
#include "session/song.h"

namespace varno {
namespace {

TEST(SongPan, SeparationAndSurroundGiveTheGainMatrix) {
    struct Row { int separation; int surround; float hi; float lo; };
    const Row rows[] = {
        {0, 0, std::sqrt(0.5f), std::sqrt(0.5f)},   // mono
        {100, 0, 1.0f, 0.0f},
        {75, 0, std::sqrt(0.875f), std::sqrt(0.125f)},
        {0, 1, 1.0f, 0.0f},                          // surround always takes full separation
        {250, 0, 1.0f, 0.0f},                        // out of range values are held to 0..100
        {-40, 0, std::sqrt(0.5f), std::sqrt(0.5f)},
    };
    for (const Row& r : rows) {
        PluginSettings settings;
        settings.stereo_separation = r.separation;
        settings.surround = r.surround;
        Song song;
        song.updatePan(settings);
        SCOPED_TRACE(r.separation);
        const float expected[4][2] = {{r.hi, r.lo}, {r.lo, r.hi}, {r.lo, r.hi}, {r.hi, r.lo}};
        for (int c = 0; c < 4; ++c) {
            EXPECT_FLOAT_EQ(song.channelPan[c][0], expected[c][0]) << "channel " << c;
            EXPECT_FLOAT_EQ(song.channelPan[c][1], expected[c][1]) << "channel " << c;
        }
    }
}

TEST(SongTiming, FrameSamplesRoundToAnEvenCount) {
    Song song;
    const std::pair<uint32_t, uint32_t> rows[] = {{48000, 960}, {44100, 882}, {22050, 442}, {8000, 160}};
    for (auto [rate, frames] : rows) {
        song.sampleRate = rate;
        song.updateFrameSamples();
        EXPECT_EQ(song.frameSamples, frames) << rate;
    }
}

TEST(MachineTiming, TickLengthFollowsThePacingTimerLatch) {
    Song song;
    AmigaMachine m;
    m.song = &song;
    m.ciaB = std::make_unique<CiaChip>();
    m.ciaA = std::make_unique<CiaChip>();
    m.updateTickLength();  // no timer: the default 50 Hz tick
    EXPECT_NEAR(song.tickSeconds, 14188 / 709378.9, 1e-7);
    EXPECT_EQ(song.samplesPerTick, 960);

    song.timerSource = 3;
    m.ciaB->TALO = 0x9C;
    m.ciaB->TAHI = 0x37;
    m.updateTickLength();
    EXPECT_NEAR(song.tickSeconds, 14236 / 709378.9, 1e-7);
    EXPECT_EQ(song.samplesPerTick, 963);  // 963.2 rounded

    m.ciaB->TALO = m.ciaB->TAHI = 0;  // a zero latch plays as the default tick
    m.updateTickLength();
    EXPECT_EQ(song.samplesPerTick, 960);

    song.timerSource = 1;  // CIA-A timer A, latch 0xFFFF: the longest tick
    m.ciaA->TALO = m.ciaA->TAHI = 0xFF;
    m.updateTickLength();
    EXPECT_NEAR(song.tickSeconds, 65535 / 709378.9, 1e-6);
    EXPECT_EQ(song.samplesPerTick, 4434);
}

} // namespace
} // namespace varno
