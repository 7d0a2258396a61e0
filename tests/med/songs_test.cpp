// Whole songs: the shared OctaMED songs play to their song end in the time the
// reference players measure and carry their names; written songs time their
// tempo modes, block flow and versions as OctaMED does.
#include "med_fixture.h"

namespace varno::test {
namespace {

using Songs = MedTest;

// Lengths where openmpt123, xmp and libopenmpt 0.8 agree within 1 %.
const struct {
    const char* file;
    double seconds;
    const char* title;
    const char* comment; // the annotation: a message, never the author
    int voices;
    size_t names;
    const char* first_name;
} kSharedSongs[] = {
    {"anvil.med", 116.7, "", "", 8, 14, "9VOX-Choir"},
    {"fair.med", 44.8, "fairlight", "Many thanks to the unknown composer. ( just fitted onto this disk )", 4, 8, "reflex"},
    {"mammagamma.med", 159.9, "mammagamma", "", 4, 29, "fabrizio radica"},
    {"octamed_test.med", 19.7, "TEST FOR ASM", "TEST FOR ASM PLAYROUTINE", 4, 5, "lukick1.iff"},
    {"pentium.med", 138.2, "Pentium ???", "5/1996", 4, 21, "by Chroust"},
    {"transition.med", 217.0, "", "Transition", 4, 9, ""},
    {"wizardry.med", 88.5, "", "", 4, 8, ""},
};

TEST_F(Songs, SharedSongsPlayToTheirEndInTheReferenceTimeWithTheirNames) {
    if (!std::filesystem::exists(sharedModules() / "octamed")) GTEST_SKIP() << "no shared modules";
    for (const auto& song : kSharedSongs) {
        const std::vector<uint8_t> bytes = readBytes(sharedModules() / "octamed" / song.file);
        ASSERT_TRUE(open(bytes, song.file)) << song.file;
        EXPECT_EQ(songRecord->playerIndex, octamed) << song.file;
        EXPECT_EQ(songRecord->subsongCount, 1u) << song.file;
        if (*song.title) {
            EXPECT_STREQ(songRecord->songTitle, song.title) << song.file;
        }
        EXPECT_EQ(songRecord->songInfo.comment, song.comment) << song.file;
        EXPECT_EQ(songRecord->songInfo.author, "") << song.file;
        EXPECT_EQ(songRecord->songInfo.voices, song.voices) << song.file;
        ASSERT_EQ(songRecord->songInfo.sampleNames.size(), song.names) << song.file;
        EXPECT_EQ(songRecord->songInfo.sampleNames[0], song.first_name) << song.file;
        EXPECT_NEAR(playToSongEnd(), song.seconds, song.seconds * 0.01) << song.file;
        EXPECT_TRUE(songRecord->songEndSignalled) << song.file;
        closeModule(*machine, *songRecord);
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

constexpr double kCia = 709379.0; // CIA ticks a second

// A pass of n ticks of `timer` CIA ticks: the tick that starts the song again
// signals the end and counts too.
double pass(double ticks, double timer = 14187) { return (ticks + 1) * timer / kCia; }

// A song of one 16-line block, one note a line on every track.
MedSong busySong(unsigned tracks = 4, unsigned lines = 16) {
    MedSong song = simpleSong(lines);
    song.blocks[0] = MedBlock(tracks, lines);
    for (unsigned l = 0; l < lines; ++l)
        for (unsigned t = 0; t < tracks; ++t) song.blocks[0].at(l, t) = {uint8_t(13 + t), 1, 0, 0};
    return song;
}

TEST_F(Songs, TempoModesSetTheTickAndTheLine) {
    const struct {
        const char* what;
        uint8_t flags, flags2;
        uint16_t tempo;
        uint8_t tempo2;
        unsigned tracks;
        double seconds; // 16 lines
        double tolerance;
    } cases[] = {
        {"BPM 125, 4 lines a beat: 50 Hz", 0, 0x23, 125, 6, 4, pass(96), 0.001},
        {"BPM 125, 8 lines a beat", 0, 0x27, 125, 6, 4, pass(96, 7093), 0.001},
        {"BPM 60, 4 lines a beat, 3 ticks a line", 0, 0x23, 60, 3, 4, pass(48, 29557), 0.001},
        {"tempo 33 is 50 Hz", 0, 0, 33, 6, 4, pass(96), 0.001},
        {"tempo 66 is 100 Hz", 0, 0, 66, 6, 4, pass(96, 7093), 0.001},
        // SoundTracker-compatible tempos: six ticks make `tempo` frames of 20.4 ms.
        {"tempo 5: lines of 5 frames at 6 ticks a line", 0, 0, 5, 6, 4, pass(96, 5 * 2412), 0.001},
        {"tempo 10 with 3 ticks a line", 0, 0, 10, 3, 4, pass(48, 10 * 2412), 0.001},
        // Mixed songs round the tick to whole samples of the mixing rate.
        {"5-8 channels, tempo 10: 99 BPM", 0x40, 0, 10, 6, 8, pass(96, 1773447 / 99.0), 0.006},
        {"5-8 channels, tempo 1: 179 BPM", 0x40, 0, 1, 6, 6, pass(96, 1773447 / 179.0), 0.006},
        {"5-8 channels, tempos above 10 as 10", 0x40, 0, 35, 6, 5, pass(96, 1773447 / 99.0), 0.006},
        {"6 tracks without the 5-8 channel flag keep the BPM", 0, 0x23, 125, 6, 6, pass(96), 0.006},
    };
    for (const auto& c : cases) {
        MedSong song = busySong(c.tracks);
        song.flags = c.flags;
        song.flags2 = c.flags2;
        song.tempo = c.tempo;
        song.tempo2 = c.tempo2;
        ASSERT_TRUE(open(song)) << c.what;
        EXPECT_NEAR(playToSongEnd(), c.seconds, c.seconds * c.tolerance) << c.what;
        closeModule(*machine, *songRecord);
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// Where a pass ends: lines played (6 ticks at 50 Hz each) before the song comes round.
TEST_F(Songs, BlockFlowCommandsDecideWhereThePassEnds) {
    const struct {
        const char* what;
        unsigned block, line, track;
        MedCell cell;
        std::vector<uint16_t> sequence;
        double lines;
    } cases[] = {
        {"the sequence plays through", 0, 0, 3, {}, {0, 1}, 32},
        {"0F00 breaks to the next block", 0, 3, 3, {0, 0, 0x0F, 0x00}, {0, 1}, 4 + 16},
        {"1D05 breaks to line 5 of the next block", 0, 3, 3, {0, 0, 0x1D, 0x05}, {0, 1}, 4 + 11},
        {"0B00 jumps back: the pass ends", 1, 7, 3, {0, 0, 0x0B, 0x00}, {0, 1}, 16 + 8},
        {"0B02 jumps forward over an entry", 0, 1, 3, {0, 0, 0x0B, 0x02}, {0, 1, 1}, 2 + 16},
        {"0FFE stops the song", 0, 9, 3, {0, 0, 0x0F, 0xFE}, {0, 1}, 10},
        {"1E02 holds the line twice more", 0, 0, 3, {0, 0, 0x1E, 0x02}, {0, 1}, 32 + 2},
        {"0903 makes lines 3 ticks long", 0, 0, 3, {0, 0, 0x09, 0x03}, {0}, 8},
    };
    for (const auto& c : cases) {
        MedSong song = busySong(4);
        song.blocks.push_back(song.blocks[0]);
        song.blocks[c.block].at(c.line, c.track) = c.cell;
        song.sequence = c.sequence;
        ASSERT_TRUE(open(song)) << c.what;
        EXPECT_NEAR(playToSongEnd(), pass(c.lines * 6), 0.001) << c.what;
        closeModule(*machine, *songRecord);
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// A loop: lines 2-5 play three times in all, and the pass still ends once.
TEST_F(Songs, LoopsPlayTheirLinesAgainWithoutEndingThePass) {
    MedSong song = busySong(4);
    song.blocks[0].at(2, 3) = {0, 0, 0x16, 0x00};
    song.blocks[0].at(5, 3) = {0, 0, 0x16, 0x02};
    ASSERT_TRUE(open(song));
    EXPECT_NEAR(playToSongEnd(), pass((16 + 2 * 4) * 6), 0.001);
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// The same song written as MMD0, MMD1, MMD2 and MMD3 plays the same.
TEST_F(Songs, EveryVersionPlaysTheSameSong) {
    std::vector<std::vector<Seen>> traces;
    for (int version = 0; version <= 3; ++version) {
        MedSong song = busySong(4);
        song.version = version;
        song.blocks[0].at(3, 0) = {25, 1, 0x0C, 0x20};
        song.blocks[0].at(6, 0) = {0, 0, 0x0F, 0x00};
        ASSERT_TRUE(open(song)) << version;
        traces.push_back(watch(0, 60));
        closeModule(*machine, *songRecord);
        ASSERT_TRUE(open(song)) << version;
        EXPECT_NEAR(playToSongEnd(), pass(7 * 6), 0.001) << "MMD" << version; // 0F00 on line 6 ends the only block
        closeModule(*machine, *songRecord);
    }
    for (size_t v = 1; v < traces.size(); ++v) {
        for (size_t t = 0; t < traces[0].size(); ++t) {
            EXPECT_EQ(traces[v][t].period, traces[0][t].period) << "MMD" << v << " tick " << t;
            EXPECT_EQ(traces[v][t].volume, traces[0][t].volume) << "MMD" << v << " tick " << t;
        }
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// A file of several songs, chained from one MMD header to the next: each is a
// subsong of its own length.
TEST_F(Songs, ChainedSongsAreSubsongs) {
    const unsigned lines[] = {16, 8, 32};
    std::vector<MedSong> songs;
    for (unsigned n : lines) {
        songs.push_back(busySong(4, n));
        songs.back().name = "song of " + std::to_string(n) + " lines";
    }
    for (size_t count = 1; count <= songs.size(); ++count) {
        const std::vector<MedSong> some(songs.begin(), songs.begin() + long(count));
        ASSERT_TRUE(open(writeMedSongs(some))) << count;
        ASSERT_EQ(songRecord->subsongCount, count);
        for (uint32_t subsong = 0; subsong < count; ++subsong) {
            if (subsong > 0) startSubsong(*machine, *songRecord, int32_t(subsong), false);
            EXPECT_NEAR(playToSongEnd(), pass(lines[subsong] * 6), 0.001) << count << " songs, subsong " << subsong;
            EXPECT_TRUE(songRecord->songEndSignalled);
        }
        closeModule(*machine, *songRecord);
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

} // namespace
} // namespace varno::test
