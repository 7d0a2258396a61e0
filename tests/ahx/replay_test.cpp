// The replay on songs written by the tests: what a row, an instrument and its play
// list do to a channel's period, volume and waveform tick by tick, and how rows,
// positions, commands and subsongs time a song.
#include "ahx_fixture.h"

#include <algorithm>
#include <functional>

namespace varno::test {
namespace {

using Replay = AhxTest;

// ProTracker's periods, two octaves lower down: AHX notes 25 and 37 are its C-1
// and C-2.
constexpr int kC3 = 25;
constexpr uint16_t kPeriodC3 = 856, kPeriodC4 = 428, kPeriodC5 = 214;

// One channel playing track 1 from position 0; track 0 is silent.
AhxSong oneTrack(std::vector<AhxRow> rows, int8_t transpose = 0) {
    AhxSong song;
    song.tracks.push_back(std::move(rows));
    song.positions[0][0] = {1, transpose};
    return song;
}

TEST_F(Replay, RowsAndInstrumentsSetPeriodAndVolumeTickByTick) {
    const auto plain = [](AhxInstrument&) {};
    const struct {
        const char* what;
        std::vector<AhxRow> rows;
        int8_t transpose;
        std::function<void(AhxInstrument&)> instrument;
        std::function<Seen(int)> expected; // at tick t of the song
    } cases[] = {
        {"a note", {{kC3, 1, 0, 0}}, 0, plain, [](int) { return Seen{kPeriodC3, 64}; }},
        {"the position's transpose", {{kC3, 1, 0, 0}}, 12, plain, [](int) { return Seen{kPeriodC4, 64}; }},
        // Slides run from the row's first tick to its last (speed 6), then hold.
        {"portamento up (1xx)", {{kC3, 1, 1, 8}}, 0, plain,
         [](int t) { return Seen{uint16_t(kPeriodC3 - 8 * std::min(t + 1, 6)), 64}; }},
        {"portamento down (2xx)", {{kC3, 1, 2, 3}}, 0, plain,
         [](int t) { return Seen{uint16_t(kPeriodC3 + 3 * std::min(t + 1, 6)), 64}; }},
        {"volume (C20)", {{kC3, 1, 0xC, 0x20}}, 0, plain, [](int) { return Seen{kPeriodC3, 32}; }},
        {"volume slide down (A02)", {{kC3, 1, 0xA, 0x02}}, 0, plain,
         [](int t) { return Seen{kPeriodC3, uint16_t(64 - 2 * std::min(t + 1, 6))}; }},
        {"note cut after 3 ticks (EC3)", {{kC3, 1, 0xE, 0xC3}}, 0, plain,
         [](int t) { return Seen{kPeriodC3, uint16_t(t < 3 ? 64 : 0)}; }},
        {"an attack over 4 frames", {{kC3, 1, 0, 0}}, 0,
         [](AhxInstrument& i) { i.attackFrames = 4; },
         [](int t) { return Seen{kPeriodC3, uint16_t(t < 3 ? 16 * (t + 1) : 64)}; }},
        {"attack, decay to 32, sustain, release to 0", {{kC3, 1, 0, 0}}, 0,
         [](AhxInstrument& i) {
             i.decayFrames = 2, i.decayVolume = 32, i.sustainFrames = 2, i.releaseFrames = 2, i.releaseVolume = 0;
         },
         [](int t) {
             static const uint16_t volumes[] = {64, 48, 32, 32, 32, 16, 0, 0, 0, 0};
             return Seen{kPeriodC3, volumes[t]};
         }},
        {"the instrument's volume", {{kC3, 1, 0, 0}}, 0, [](AhxInstrument& i) { i.volume = 48; },
         [](int) { return Seen{kPeriodC3, 48}; }},
        {"a fixed note of the play list", {{kC3, 1, 0, 0}}, 5,
         [](AhxInstrument& i) { i.list[0].note = 49, i.list[0].fixed = 1; },
         [](int) { return Seen{kPeriodC5, 64}; }},
        {"a play-list note two octaves up", {{kC3, 1, 0, 0}}, 0, [](AhxInstrument& i) { i.list[0].note = 25; },
         [](int) { return Seen{kPeriodC5, 64}; }},
        // A play-list slide lasts as long as its entry (3 frames), and one more
        // when the list ends there.
        {"a play-list slide up (1xx)", {{kC3, 1, 0, 0}}, 0,
         [](AhxInstrument& i) { i.speed = 3, i.list[0].command[0] = 1, i.list[0].param[0] = 4; },
         [](int t) { return Seen{uint16_t(kPeriodC3 - 4 * std::min(t + 1, 4)), 64}; }},
        {"vibrato of depth 4, speed 8", {{kC3, 1, 0, 0}}, 0,
         [](AhxInstrument& i) { i.vibratoDepth = 4, i.vibratoSpeed = 8; },
         [](int t) {
             static const int offsets[8] = {0, 5, 7, 5, 0, -6, -8, -6};
             return Seen{uint16_t(kPeriodC3 + offsets[t % 8]), 64};
         }},
        {"a play-list volume (C30) and its sub-volume (C70)", {{kC3, 1, 0, 0}}, 0,
         [](AhxInstrument& i) { i.list[0].command[0] = 6, i.list[0].param[0] = 0x30, i.list[0].command[1] = 6,
                                i.list[0].param[1] = 0x70; },
         [](int) { return Seen{kPeriodC3, 24}; }},
    };
    for (const auto& c : cases) {
        AhxSong song = oneTrack(c.rows, c.transpose);
        c.instrument(song.instruments[0]);
        ASSERT_TRUE(open(song.bytes())) << c.what;
        const std::vector<Seen> seen = watch(0, 8);
        for (int i = 0; i < 8; ++i) {
            const int t = i + kTicksRunAtOpen;
            const Seen want = c.expected(t);
            EXPECT_EQ(seen[size_t(i)].period, want.period) << c.what << ", tick " << t;
            EXPECT_EQ(seen[size_t(i)].volume, want.volume) << c.what << ", tick " << t;
        }
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// What Paula loops over: the waveform the play list chose, as long as it is.
TEST_F(Replay, PaulaLoopsOverTheChosenWaveform) {
    AhxSong song = oneTrack({{kC3, 1, 0, 0}});
    AhxInstrument& square = song.instruments[0];
    square.waveLength = 5;
    square.list[0].waveform = 3;
    square.list[0].command[0] = 3; // pulse width 16 of 32
    square.list[0].param[0] = 0x10;
    ASSERT_TRUE(open(song.bytes()));
    std::vector<int8_t> loop = channelLoop(0);
    ASSERT_EQ(loop.size(), 128u);
    EXPECT_EQ(std::count(loop.begin(), loop.begin() + 96, int8_t(-128)), 96);
    EXPECT_EQ(std::count(loop.begin() + 96, loop.end(), int8_t(127)), 32);

    song.instruments[0] = AhxInstrument{}; // a triangle of 32 samples
    ASSERT_TRUE(open(song.bytes()));
    loop = channelLoop(0);
    const std::vector<int8_t> triangle = {0,    16,   32,   48,   64,   80,  96,  112, 127, 112, 96,
                                          80,   64,   48,   32,   16,   0,   -16, -32, -48, -64, -80,
                                          -96,  -112, -128, -112, -96,  -80, -64, -48, -32, -16};
    EXPECT_EQ(loop, triangle);

    song.instruments[0].list[0].waveform = 4; // noise: a new stretch every frame
    ASSERT_TRUE(open(song.bytes()));
    const std::vector<int8_t> before = channelLoop(0);
    ASSERT_EQ(before.size(), 640u);
    ASSERT_TRUE(playerTick(*machine, *songRecord));
    EXPECT_NE(channelLoop(0), before);
}

TEST_F(Replay, RowsPositionsAndCommandsTimeTheSong) {
    const double frame = 14210 / 709379.0; // one tick of a 1x AHX song
    const struct {
        const char* what;
        std::vector<AhxRow> track1, track2; // positions 0 and 1 on channel 0
        uint8_t speedMultiplier;
        double ticks;
    } cases[] = {
        {"two positions of four rows at speed 6", {}, {}, 1, 48},
        {"twice a frame", {}, {}, 2, 48},
        {"speed 3 (F03)", {{0, 0, 0xF, 3}}, {}, 1, 24},
        // A stop or a jump back ends the song in the tick of its row's start.
        {"stopped (F00) at row 2", {{}, {}, {0, 0, 0xF, 0}}, {}, 1, 12 + 1},
        {"a break (D02) at row 1 into row 2", {{}, {0, 0, 0xD, 0x02}}, {}, 1, 6 * (2 + 2)},
        {"a jump back (B00) at row 1 of position 1", {}, {{}, {0, 0, 0xB, 0x00}}, 1, 6 * (4 + 1) + 1},
        {"a jump ahead (B01) at row 0", {{0, 0, 0xB, 0x01}}, {}, 1, 6 * (1 + 4)},
    };
    for (const auto& c : cases) {
        AhxSong song;
        song.speedMultiplier = c.speedMultiplier;
        song.tracks = {{}, c.track1, c.track2};
        song.positions = {{}, {}};
        song.positions[0][0] = {1, 0};
        song.positions[1][0] = {2, 0};
        ASSERT_TRUE(open(song.bytes())) << c.what;
        const double seconds = playToSongEnd(60);
        EXPECT_TRUE(songRecord->songEndSignalled) << c.what;
        EXPECT_NEAR(seconds, c.ticks * frame / c.speedMultiplier, 0.001) << c.what;
    }
}

TEST_F(Replay, SubsongsStartAtTheirPositions) {
    AhxSong song;
    song.positions = {{}, {}, {}};
    song.subsongs = {2, 1};
    ASSERT_TRUE(open(song.bytes()));
    ASSERT_EQ(songRecord->subsongCount, 3u);
    const double frame = 14210 / 709379.0;
    const double expected[3] = {3 * 24 * frame, 1 * 24 * frame, 2 * 24 * frame};
    for (uint32_t n = 0; n < 3; ++n) {
        if (n > 0) startSubsong(*machine, *songRecord, int32_t(n), false);
        EXPECT_NEAR(playToSongEnd(60), expected[n], 0.001) << "subsong " << n;
    }
}

} // namespace
} // namespace varno::test

namespace varno::test {
namespace {

// An HVL song of five channels with one note (C-3, instrument 1: a triangle) on
// each channel given: HVL rows are five bytes (note, instrument, two commands),
// an empty row one byte; play-list entries five bytes.
std::vector<uint8_t> hvlSong(const std::vector<std::pair<int, uint8_t>>& notes) {
    const int channels = 5;
    std::vector<uint8_t> b = {'H', 'V', 'L', 0, 0, 0, 0, 1, uint8_t((channels - 4) << 2), 0, 1,
                              uint8_t(notes.size()), 1, 0, 64, 0};
    for (int c = 0; c < channels; ++c) { // position 0: channel c plays track k + 1 when it has a note
        uint8_t track = 0;
        for (size_t k = 0; k < notes.size(); ++k)
            if (notes[k].first == c) track = uint8_t(k + 1);
        b.push_back(track);
        b.push_back(0);
    }
    b.push_back(0x3F); // track 0: one empty row
    for (const auto& n : notes) { // a note, instrument 1, command C (volume)
        const uint8_t row[5] = {25, 1, 0xC0, n.second, 0};
        b.insert(b.end(), row, row + 5);
    }
    const uint8_t instrument[22] = {64, 3, 1, 64, 1, 64, 1, 1, 64, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1};
    b.insert(b.end(), instrument, instrument + 22);
    const uint8_t entry[5] = {0, 1, 1, 0, 0}; // a triangle, note 1
    b.insert(b.end(), entry, entry + 5);
    b[4] = uint8_t(b.size() >> 8);
    b[5] = uint8_t(b.size());
    for (const char* name : {"hvl song", "triangle"}) b.insert(b.end(), name, name + std::strlen(name) + 1);
    // Track 0 is stored: byte 6 bit 7 clear; one track per note after it.
    b[11] = uint8_t(notes.size());
    return b;
}

TEST_F(Replay, HvlChannelsBeyondFourShareAPaulaChannelAtTheirLoudness) {
    const struct {
        const char* what;
        std::vector<std::pair<int, uint8_t>> notes; // channel, volume
        uint16_t volume;                            // on Paula channel 0
    } cases[] = {
        {"channel 0 alone", {{0, 0x30}}, 48},
        {"channel 4 alone comes out on channel 0", {{4, 0x20}}, 32},
        {"channels 0 and 4 at 32: their power together", {{0, 0x20}, {4, 0x20}}, 45},
        {"channels 0 and 4 at 48 and 36", {{0, 0x30}, {4, 0x24}}, 60},
        {"no louder than 64", {{0, 0x40}, {4, 0x40}}, 64},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(identify(hvlSong(c.notes), "song.hvl"), ahx) << c.what;
        ASSERT_TRUE(open(hvlSong(c.notes), "song.hvl")) << c.what;
        const std::vector<Seen> seen = watch(0, 3);
        EXPECT_EQ(seen.back().period, kPeriodC3) << c.what;
        EXPECT_EQ(seen.back().volume, c.volume) << c.what;
    }
}

} // namespace
} // namespace varno::test
