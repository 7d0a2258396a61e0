// The Oktalyzer player: detection within the bytes present, its commands as the
// direct channels show them tick by tick, the mixed channels (their shared volume,
// which samples they play, what the mixer writes), song ends and lengths, damaged
// files and the shared songs.
#include "protracker/protracker_fixture.h"

#include <algorithm>
#include <random>

#include "okt_writer.h"
#include "songs/shared_songs.h"
#include "plugin/subsong_lengths.h"

namespace varno::test {
namespace {

class Oktalyzer : public ProTrackerTest {
protected:
    int32_t oktalyzerIndex();
    std::vector<int8_t> ring(int n) const;
};

constexpr double kTickSeconds = 14188 / 709379.0;
const std::filesystem::path kShared = std::filesystem::path(VARNO_SHARED_DIR) / "modules";

// One looped square wave on the first voice, `rows` rows of speed `speed`.
OktSong toneSong(OktCell first, int rows = 8, uint16_t mode = 2) {
    OktSong song;
    song.samples.push_back({"square", square(64, 100), 0, 32, 48, mode});
    song.patterns.assign(1, std::vector<std::vector<OktCell>>(rows, std::vector<OktCell>(4)));
    first.note = first.note ? first.note : 13; // C-2, period 428
    song.patterns[0][0][0] = first;
    return song;
}

int32_t Oktalyzer::oktalyzerIndex() { return identify(writeOkt(toneSong({}))); }

TEST_F(Oktalyzer, ChecksTheChunksItHas) {
    const int32_t okt = oktalyzerIndex();
    ASSERT_GE(okt, 0);
    const std::vector<uint8_t> good = writeOkt(toneSong({}));
    const size_t patternChunk = 8 + 16 + 8 + 36 * 32 + 3 * 10 + 8 + 128;
    auto changed = [&](size_t offset, uint8_t value) {
        std::vector<uint8_t> bytes = good;
        bytes[offset] = value;
        return bytes;
    };
    auto cut = [&](size_t size) { return std::vector<uint8_t>(good.begin(), good.begin() + std::ptrdiff_t(size)); };
    OktSong noPositions = toneSong({}), pastPatterns = toneSong({}), speedZero = toneSong({});
    noPositions.positions.clear();
    pastPatterns.positions = {0, 1};
    speedZero.speed = 0;
    std::vector<uint8_t> random(4000);
    std::mt19937 generator(19);
    for (auto& b : random) b = uint8_t(generator());
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        bool accepted;
    } cases[] = {
        {"whole", good, true},
        {"cut in the pattern", cut(patternChunk + 20), true},
        {"cut in the sample", cut(good.size() - 10), true},
        {"another magic", changed(4, 'X'), false},
        {"a channel doubled twice", changed(8 + 8 + 1, 2), false},
        {"CMOD's length", changed(8 + 7, 9), false},
        {"no positions", writeOkt(noPositions), false},
        {"a position past the patterns", writeOkt(pastPatterns), false},
        {"speed 0", writeOkt(speedZero), false},
        {"cut in SAMP", cut(200), false},
        {"cut in PATT", cut(patternChunk - 30), false},
        {"the magic alone", cut(8), false},
        {"random bytes", random, false},
    };
    for (const auto& c : cases) EXPECT_EQ(identify(c.bytes) == okt, c.accepted) << c.what;
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// The whole files are the detection matrix's (tests/songs); no other format's file
// is taken when it is cut either.
TEST_F(Oktalyzer, CutFilesOfOtherFormatsAreRefused) {
    if (!std::filesystem::exists(kShared)) GTEST_SKIP() << "no shared modules at " << kShared;
    const int32_t okt = oktalyzerIndex();
    int others = 0;
    for (const SharedSong& song : sharedSongTable()) {
        if (song.player == "Oktalyzer") continue;
        const std::vector<uint8_t> bytes = readBytes(kShared / song.file);
        if (bytes.size() < 64) continue;
        for (size_t size : {bytes.size() / 2, size_t(64)})
            EXPECT_NE(identify(std::vector<uint8_t>(bytes.begin(), bytes.begin() + std::ptrdiff_t(size))), okt)
                << song.file << " cut to " << size;
        ++others;
    }
    EXPECT_GT(others, 20);
}

// Periods of the six ticks of a row on a direct channel, note C-2 (428).
TEST_F(Oktalyzer, PitchCommandsTickByTick) {
    const struct {
        const char* what;
        uint8_t command, param;
        uint16_t periods[6];
    } cases[] = {
        {"1: portamento up", 1, 4, {424, 420, 416, 412, 408, 404}},
        {"2: portamento down", 2, 4, {432, 436, 440, 444, 448, 452}},
        {"1: up to B-3 at most", 1, 0xF0, {188, 113, 113, 113, 113, 113}},
        {"2: down to C-1 at most", 2, 0xF0, {668, 856, 856, 856, 856, 856}},
        {"A: down, note, up", 10, 0x35, {508, 428, 320, 508, 428, 320}},
        {"B: note, up, note, down", 11, 0x35, {428, 320, 428, 508, 428, 320}},
        {"C: up, up, note", 12, 0x35, {320, 320, 428, 320, 320, 428}},
        {"D: a semitone down each tick", 13, 1, {453, 480, 508, 538, 570, 604}},
        {"D: on below C-1, an octave doubling the period", 13, 9, {720, 1208, 2032, 3424, 5760, 9664}},
        {"D: at most 15 semitones a tick, silent past four octaves below", 13, 0x40, {1016, 2416, 5760, 13696, 13696, 13696}},
        {"U: a semitone up each tick", 30, 1, {404, 381, 360, 339, 320, 302}},
        {"U: no higher than B-3", 30, 9, {254, 151, 113, 113, 113, 113}},
        {"L: two semitones down once", 21, 2, {480, 480, 480, 480, 480, 480}},
        {"H: two semitones up once", 17, 2, {381, 381, 381, 381, 381, 381}},
        {"an unknown command", 9, 0x12, {428, 428, 428, 428, 428, 428}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(open(writeOkt(toneSong({0, 0, c.command, c.param})))) << c.what;
        std::vector<uint16_t> periods = {channel(0).period};
        for (const Seen& s : watch(0, 5)) periods.push_back(s.period);
        EXPECT_EQ(periods, std::vector<uint16_t>(c.periods, c.periods + 6)) << c.what;
        closeModule(*machine, *songRecord);
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// Volumes of the six ticks of a row on a direct channel; the sample's is 48.
TEST_F(Oktalyzer, VolumeCommandsTickByTick) {
    const struct {
        uint8_t param;
        uint16_t volumes[6];
    } cases[] = {
        {0x20, {32, 32, 32, 32, 32, 32}}, {0x40, {64, 64, 64, 64, 64, 64}}, {0x44, {48, 44, 40, 36, 32, 28}},
        {0x4F, {48, 33, 18, 3, 0, 0}},    {0x54, {48, 52, 56, 60, 64, 64}}, {0x64, {44, 44, 44, 44, 44, 44}},
        {0x74, {52, 52, 52, 52, 52, 52}}, {0x90, {48, 48, 48, 48, 48, 48}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(open(writeOkt(toneSong({0, 0, 31, c.param}))));
        std::vector<uint16_t> volumes = {channel(0).volume};
        for (const Seen& s : watch(0, 5)) volumes.push_back(s.volume);
        EXPECT_EQ(volumes, std::vector<uint16_t>(c.volumes, c.volumes + 6)) << "V" << std::hex << int(c.param);
        closeModule(*machine, *songRecord);
    }
}

// The bytes Paula plays on a mixed channel: its whole ring buffer.
std::vector<int8_t> Oktalyzer::ring(int n) const {
    const PaulaChannel& c = channel(n);
    const MemoryRegion& memory = *machine->mainMemory;
    const uint8_t* start = memory.data.get() + (c.location - memory.base);
    return std::vector<int8_t>(start, start + 2 * size_t(c.length));
}

// Channel 0 doubled: voices 0 and 1 are mixed into it at a fixed period; their
// volume is the channel's, set by either voice's V; 8-bit samples stay out of it.
TEST_F(Oktalyzer, MixedChannelsShareTheirVolumeAndTakeSevenBitSamples) {
    const struct {
        const char* what;
        uint16_t mode;
        bool sounds;
    } modes[] = {{"7-bit", 0, true}, {"both", 2, true}, {"8-bit", 1, false}};
    for (const auto& m : modes) {
        OktSong song = toneSong({}, 8, m.mode);
        song.doubled[0] = 1;
        song.patterns[0][2][1] = {0, 0, 31, 0x20}; // the other voice turns the channel down
        ASSERT_TRUE(open(writeOkt(song))) << m.what;
        EXPECT_EQ(channel(0).period, 428) << m.what;
        EXPECT_EQ(channel(0).volume, 64) << m.what << ": the channel's, not the sample's";
        const std::vector<Seen> seen = watch(0, 17);
        EXPECT_EQ(seen[10].volume, 64) << m.what;
        EXPECT_EQ(seen[11].volume, 32) << m.what << ": row 2's V from the other voice, with row 2's sound";
        const std::vector<int8_t> bytes = ring(0);
        const auto loud = std::count_if(bytes.begin(), bytes.end(), [](int8_t b) { return b == 100 || b == -100; });
        EXPECT_EQ(loud > int(bytes.size() / 2), m.sounds) << m.what;
        EXPECT_TRUE(std::all_of(bytes.begin(), bytes.end(), [](int8_t b) { return b == 0 || b == 100 || b == -100; }))
            << m.what << ": the mixer adds the other voice's silence";
        closeModule(*machine, *songRecord);
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// Periods between the notes (portamento) and below the table (note slides) are
// resampled by loops rather than generated code. Both voices play the same square
// wave of 50 in step: the sum is +-100, changing sign as often as the step says.
TEST_F(Oktalyzer, MixedChannelsPlayEveryPeriod) {
    const struct {
        const char* what;
        OktCell cell;
    } cases[] = {{"a note", {}}, {"portamento", {0, 0, 1, 3}}, {"below C-1", {0, 0, 13, 3}}};
    for (const auto& c : cases) {
        OktSong song = toneSong(c.cell, 8, 2);
        song.samples[0].data = square(64, 50);
        song.doubled[0] = 1;
        song.patterns[0][0][1] = song.patterns[0][0][0];
        ASSERT_TRUE(open(writeOkt(song))) << c.what;
        watch(0, 10);
        const std::vector<int8_t> bytes = ring(0);
        long loud = 0, changes = 0;
        for (size_t i = 0; i < bytes.size(); ++i) {
            loud += bytes[i] == 100 || bytes[i] == -100;
            changes += i > 0 && bytes[i] == -bytes[i - 1] && bytes[i] != 0;
        }
        EXPECT_GT(loud, long(bytes.size() / 2)) << c.what;
        EXPECT_GT(changes, loud / 5) << c.what << ": the sample is stepped through";
        EXPECT_TRUE(std::all_of(bytes.begin(), bytes.end(), [](int8_t b) { return b == 0 || b == 100 || b == -100; }))
            << c.what;
        closeModule(*machine, *songRecord);
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(Oktalyzer, DirectChannelsRefuseSevenBitOnlySamples) {
    ASSERT_TRUE(open(writeOkt(toneSong({}, 8, 0))));
    EXPECT_EQ(channel(0).volume, 0);
    ASSERT_TRUE(open(writeOkt(toneSong({}, 8, 1))));
    EXPECT_EQ(channel(0).volume, 48);
}

// R leaves the loop: the part after it plays once, then silence.
TEST_F(Oktalyzer, ReleasePlaysWhatFollowsTheLoop) {
    OktSong song = toneSong({});
    song.samples[0].data = square(4000, 50);
    song.samples[0].loopWords = 32; // bytes 0..63 loop; 3936 follow
    song.patterns[0][1][0] = {0, 0, 27, 0};
    ASSERT_TRUE(open(writeOkt(song)));
    const uint32_t sampleStart = channel(0).location;
    bool tail = false, silence = false;
    std::vector<float> audio(2 * 960); // a tick's sound: Paula plays only as it is rendered
    for (int tick = 0; tick < 80 && !silence; ++tick) {
        ASSERT_GT(render(*machine, *songRecord, audio.data(), int32_t(audio.size())), 0);
        tail = tail || (channel(0).location == sampleStart + 64 && channel(0).length == 3936 / 2);
        silence = tail && channel(0).length == 1;
    }
    EXPECT_TRUE(tail);
    EXPECT_TRUE(silence);
}

// Lengths in ticks: rows times speed, up to the tick that comes round; S changes
// the speed, P jumps (a jump back ends the song).
TEST_F(Oktalyzer, SongEndsWhenItComesRound) {
    const struct {
        const char* what;
        bool doubled;
        OktCell command;
        int ticks;
    } cases[] = {
        {"8 rows of 6", false, {}, 48},
        {"mixed: 8 rows of 6", true, {}, 48},
        {"S3 from row 0", false, {0, 0, 28, 3}, 24},
        {"mixed: S3 from row 0", true, {0, 0, 28, 3}, 24},
        {"P0 in row 0", false, {0, 0, 25, 0}, 6},
        {"P2 in row 0: on to the last position", false, {0, 0, 25, 2}, 6 + 48},
    };
    for (const auto& c : cases) {
        OktSong song = toneSong(c.command);
        song.doubled[2] = c.doubled;
        // A second pattern, the first's without its command, for jumps to land in.
        song.patterns.push_back(song.patterns[0]);
        song.patterns[1][0][0] = {};
        if (c.command.command == 25) song.positions = {0, 1, 1};
        ASSERT_TRUE(open(writeOkt(song))) << c.what;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        EXPECT_EQ(measureSubsongLengths(*machine, *songRecord, deadline), 1);
        EXPECT_NEAR(songRecord->subsongSeconds[0], c.ticks * kTickSeconds, 0.001) << c.what;
        closeModule(*machine, *songRecord);
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(Oktalyzer, SampleNamesAreAllTheTextItHas) {
    OktSong song = toneSong({});
    song.samples.push_back({"Twenty characters!!!", {}, 0, 0, 64, 1});
    song.samples.push_back({"last", square(16, 10), 0, 0, 64, 1});
    song.positions = {0, 0, 0};
    ASSERT_TRUE(open(writeOkt(song)));
    EXPECT_EQ(std::string(songRecord->songTitle), "");
    EXPECT_EQ(songRecord->songInfo.author, "");
    EXPECT_EQ(songRecord->songInfo.sampleNames, (std::vector<std::string>{"square", "Twenty characters!!!", "last"}));
    EXPECT_EQ(songRecord->songInfo.patterns, 1);
    EXPECT_EQ(songRecord->songInfo.positions, 3);
}

// Cut anywhere, or with garbage in its patterns, a song is refused or plays
// without a fault.
TEST_F(Oktalyzer, DamagedSongsPlayWhatTheyCan) {
    OktSong song = toneSong({});
    song.doubled[1] = 1;
    song.samples.push_back({"long", square(3000, 30), 100, 400, 64, 2});
    std::mt19937 generator(7);
    for (auto& row : song.patterns[0])
        for (auto& cell : row) cell = {uint8_t(generator() % 40), uint8_t(generator() % 40), uint8_t(generator() % 32), uint8_t(generator())};
    const std::vector<uint8_t> whole = writeOkt(song);
    const int32_t okt = oktalyzerIndex();
    for (size_t size = 8; size <= whole.size(); size += 97) {
        const std::vector<uint8_t> bytes(whole.begin(), whole.begin() + std::ptrdiff_t(size));
        if (identify(bytes) != okt) continue;
        ASSERT_TRUE(open(bytes)) << size;
        for (int tick = 0; tick < 100; ++tick) ASSERT_TRUE(playerTick(*machine, *songRecord)) << size;
        closeModule(*machine, *songRecord);
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// The shared songs reach their song end when openmpt123 and xmp end them (the
// seconds of the table of shared songs).
TEST_F(Oktalyzer, SharedSongsEndInTheReferenceTime) {
    if (!std::filesystem::exists(kShared)) GTEST_SKIP() << "no shared modules at " << kShared;
    for (const SharedSong& s : playedSharedSongs("Oktalyzer")) {
        ASSERT_TRUE(open(readBytes(kShared / s.file), std::filesystem::path(s.file).filename().string())) << s.file;
        EXPECT_NEAR(playToSongEnd(), s.seconds, s.seconds * 0.01) << s.file;
        EXPECT_TRUE(songRecord->songEndSignalled) << s.file;
        closeModule(*machine, *songRecord);
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

} // namespace
} // namespace varno::test
