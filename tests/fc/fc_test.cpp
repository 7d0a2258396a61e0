// The Future Composer player: which files it takes, the shared songs' lengths, and
// what its sequences do to Paula, on small 1.4 modules built here.
#include "fc_fixture.h"
#include "songs/shared_songs.h"

#include <cmath>
#include <random>

namespace varno::test {
namespace {

using FutureComposer = FutureComposerTest;

constexpr uint8_t kEnd = 0xE1, kLoop = 0xE0, kSetWave = 0xE2, kChangeWave = 0xE4, kSustain = 0xE8;

// A 1.4 module: steps, patterns (32 rows of note and info), volume and frequency
// sequences (padded to 64 bytes) and one 16-word waveform, wave 0 (number 10).
struct Song {
    std::vector<std::vector<uint8_t>> steps; // 13 bytes each
    std::vector<std::vector<uint8_t>> patterns, volseqs, freqseqs;
    uint16_t sampleWords = 0; // sample 0, without a loop
    uint16_t loopStart = 0, loopWords = 1; // its loop: start in bytes, length in words
    std::vector<uint8_t> sampleBytes; // or these bytes as sample 0
    bool fc13 = false;                // a 1.3 module, with the built-in waveforms
};

void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (24 - 8 * i));
}

std::vector<uint8_t> block(std::vector<uint8_t> bytes, size_t size) {
    bytes.resize(size, 0);
    return bytes;
}

std::vector<uint8_t> build(const Song& s) {
    std::vector<uint8_t> b(s.fc13 ? 100 : 180, 0);
    std::copy_n(s.fc13 ? "SMOD" : "FC14", 4, b.begin());
    for (int i = 0; i < 10; ++i) b[40 + 6 * i + 5] = 1; // empty samples, loop length 1
    if (!s.fc13) b[100] = 16;                           // waveform 0: 16 words
    auto area = [&](const std::vector<std::vector<uint8_t>>& parts, size_t size, int field) {
        put32(b, 4 + 4 * field, uint32_t(b.size()));
        put32(b, 8 + 4 * field, uint32_t(parts.size() * size));
        for (const auto& p : parts) {
            const auto bytes = block(p, size);
            b.insert(b.end(), bytes.begin(), bytes.end());
        }
    };
    put32(b, 4, uint32_t(s.steps.size() * 13));
    for (const auto& step : s.steps) {
        const auto bytes = block(step, 13);
        b.insert(b.end(), bytes.begin(), bytes.end());
    }
    if (b.size() & 1) b.push_back(0); // Paula reads samples at even addresses
    area(s.patterns, 64, 1);
    area(s.freqseqs, 64, 3);
    area(s.volseqs, 64, 5);
    put32(b, 32, uint32_t(b.size())); // sample data, a spare word after each sample
    std::vector<uint8_t> sample = s.sampleBytes;
    if (sample.empty())
        for (unsigned i = 0; i < 2u * s.sampleWords; ++i) sample.push_back(uint8_t(i & 0x40 ? 90 : -90));
    const size_t words = sample.size() / 2;
    b[40] = uint8_t(words >> 8);
    b[41] = uint8_t(words);
    b[42] = uint8_t(s.loopStart >> 8);
    b[43] = uint8_t(s.loopStart);
    b[44] = uint8_t(s.loopWords >> 8);
    b[45] = uint8_t(s.loopWords);
    b.insert(b.end(), sample.begin(), sample.begin() + long(2 * words));
    if (s.fc13) return b;
    if (words) b.insert(b.end(), {0, 0});
    put32(b, 36, uint32_t(b.size())); // waveforms
    for (int i = 0; i < 32; ++i) b.push_back(uint8_t(i < 16 ? 100 : -100));
    return b;
}

// One voice playing: pattern 0 on voice 0 and an empty pattern 1 on the others.
Song oneVoice(std::vector<uint8_t> pattern, std::vector<uint8_t> volseq, std::vector<uint8_t> freqseq,
              uint8_t speed = 1) {
    Song s;
    s.steps = {{0, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, speed}};
    s.patterns = {block(pattern, 64), {}};
    s.volseqs = {volseq};
    s.freqseqs = {freqseq};
    return s;
}

const std::vector<uint8_t> kSquare = {kSetWave, 10, 0x00, kEnd};

uint16_t period(unsigned note) {
    static const uint16_t octave[12] = {1712, 1616, 1524, 1440, 1356, 1280, 1208, 1140, 1076, 1016, 960, 906};
    return uint16_t(octave[note % 12] >> (note / 12));
}

std::vector<uint16_t> volumes(const std::vector<std::pair<uint16_t, uint16_t>>& seen) {
    std::vector<uint16_t> v;
    for (const auto& s : seen) v.push_back(s.second);
    return v;
}

std::vector<uint16_t> periods(const std::vector<std::pair<uint16_t, uint16_t>>& seen) {
    std::vector<uint16_t> v;
    for (const auto& s : seen) v.push_back(s.first);
    return v;
}

// Opening runs the song's first ticks ahead: the sequences are watched from a note
// that starts later, on row 4 at speed 1.
std::vector<uint8_t> noteOnRow4(uint8_t note) {
    std::vector<uint8_t> p(64, 0);
    p[8] = note;
    return p;
}

TEST_F(FutureComposer, VolumeSequencesStepAtTheirSpeedAndHold) {
    const struct {
        const char* what;
        std::vector<uint8_t> volseq;
        std::vector<uint16_t> expected;
        bool fc13 = false;
    } cases[] = {
        {"speed 1", {1, 0, 0, 0, 0, 10, 20, 30, kEnd}, {10, 20, 30, 30, 30}},
        {"speed 2", {2, 0, 0, 0, 0, 10, 20, 30, kEnd}, {10, 10, 20, 20, 30, 30}},
        {"hold, counting its own tick", {1, 0, 0, 0, 0, 40, kSustain, 2, 20, kEnd}, {40, 40, 40, 20, 20}},
        {"loop", {1, 0, 0, 0, 0, 5, 6, 7, kLoop, 6}, {5, 6, 7, 6, 7, 6}},
        {"loop into the header", {1, 0, 0, 0, 0, 5, 6, kLoop, 2, 9}, {5, 6, 6, 6}},
        {"above 64", {1, 0, 0, 0, 0, 90, kEnd}, {64, 64}},
        {"slide every other tick", {1, 0, 0, 0, 0, 10, 0xEA, 5, 3, 40, kEnd}, {10, 15, 15, 20, 20, 25, 40}},
        {"slide down to 0", {1, 0, 0, 0, 0, 10, 0xEA, 0xF6, 9, kEnd}, {10, 0, 0, 0}},
        {"1.3 has no slide: a loud volume", {1, 0, 0, 0, 0, 10, 0xEA, 5, 3, kEnd}, {10, 64, 5, 3, 3}, true},
    };
    for (const auto& c : cases) {
        Song song = oneVoice(noteOnRow4(24), c.volseq, kSquare);
        song.fc13 = c.fc13;
        ASSERT_TRUE(open(build(song))) << c.what;
        EXPECT_EQ(volumes(fromNote(int(c.expected.size()))), c.expected) << c.what;
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(FutureComposer, FrequencySequencesTransposeTheNote) {
    const std::vector<uint8_t> loud = {1, 0, 0, 0, 0, 64, kEnd};
    const struct {
        const char* what;
        std::vector<uint8_t> freqseq;
        std::vector<uint16_t> expected;
    } cases[] = {
        {"plain", kSquare, {period(24), period(24)}},
        {"arpeggio", {kSetWave, 10, 0, 12, 7, kLoop, 2}, {period(24), period(36), period(31), period(24)}},
        {"fixed note", {kSetWave, 10, 0x80 | 5, kEnd}, {period(5), period(5)}},
        {"held", {kSetWave, 10, 0, kSustain, 2, 12, kEnd}, {period(24), period(24), period(24), period(36)}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(open(build(oneVoice(noteOnRow4(24), loud, c.freqseq)))) << c.what;
        EXPECT_EQ(periods(fromNote(int(c.expected.size()))), c.expected) << c.what;
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// Vibrato (speed, depth and delay in the volume sequence's header) swings the period
// down first, turns and holds for a tick at either end, and is wider in period steps
// for lower octaves.
TEST_F(FutureComposer, VibratoSwingsAndHoldsAtItsEnds) {
    const struct {
        unsigned note;
        uint8_t delay;
        int scale; // period steps per vibrato step at this note
    } cases[] = {{24, 0, 4}, {36, 0, 2}, {24, 2, 4}};
    for (const auto& c : cases) {
        const std::vector<uint8_t> volseq = {1, 0, 1, 1, c.delay, 64, kEnd};
        ASSERT_TRUE(open(build(oneVoice(noteOnRow4(uint8_t(c.note)), volseq, kSquare)))) << c.note;
        std::vector<uint16_t> expected(c.delay, period(c.note));
        for (int swing : {-1, -1, 0, 1, 1, 0, -1, -1}) expected.push_back(uint16_t(period(c.note) + swing * c.scale));
        EXPECT_EQ(periods(fromNote(int(expected.size()))), expected) << c.note << " " << int(c.delay);
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// Portamento takes its parameter from the next row's info byte: up to 0x1F it
// raises the pitch, above it lowers it, by its low 5 bits every other tick (1.4);
// an info byte with bit 6 ends it.
TEST_F(FutureComposer, PortamentoSlidesUntilTurnedOff) {
    const std::vector<uint8_t> loud = {1, 0, 0, 0, 0, 64, kEnd};
    const struct {
        uint8_t parameter;
        int step;
    } cases[] = {{0x03, -3}, {0x23, 3}, {0x3F, 31}, {0x1F, -31}};
    for (const auto& c : cases) {
        std::vector<uint8_t> pattern = noteOnRow4(24);
        pattern[9] = 0x80;
        pattern[11] = c.parameter;
        pattern[21] = 0x40; // row 10
        ASSERT_TRUE(open(build(oneVoice(pattern, loud, kSquare)))) << int(c.parameter);
        std::vector<uint16_t> expected;
        for (int tick = 0; tick < 8; ++tick) expected.push_back(uint16_t(period(24) + c.step * (std::min(tick, 5) / 2 + 1)));
        EXPECT_EQ(periods(fromNote(8)), expected) << int(c.parameter);
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// E2 starts a waveform over at once, even on the tick after a sample started; E4
// lets Paula finish the block it plays first.
TEST_F(FutureComposer, SetWaveRestartsAndChangeWaveWaits) {
    const std::vector<uint8_t> loud = {1, 0, 0, 0, 0, 64, kEnd};
    const struct {
        const char* what;
        uint8_t command;
        bool restarted;
    } cases[] = {{"E2", kSetWave, true}, {"E4", kChangeWave, false}};
    for (const auto& c : cases) {
        Song s = oneVoice(noteOnRow4(24), loud, {kSetWave, 0, 0, c.command, 10, 0, kEnd});
        s.sampleWords = 2000;
        ASSERT_TRUE(open(build(s))) << c.what;
        fromNote(1);
        EXPECT_GT(channel(0).remaining, 1500u) << c.what; // the sample
        watch(0, 1);
        if (c.restarted)
            EXPECT_LE(channel(0).remaining, 16u) << c.what; // the 16-word waveform
        else
            EXPECT_GT(channel(0).remaining, 1500u) << c.what;
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// E9 plays a sample of a sample pack ("SSMP", 20 entries of offset, length, loop
// start and loop length after the id, the samples after them), then silence; an
// entry that lies outside the pack starts nothing.
TEST_F(FutureComposer, SamplePacksStartTheirEntries) {
    const std::vector<uint8_t> loud = {1, 0, 0, 0, 0, 64, kEnd};
    std::vector<uint8_t> pack(4 + 20 * 16, 0);
    std::copy_n("SSMP", 4, pack.begin());
    const auto entry = [&](int n, uint32_t offset, uint16_t words) {
        put32(pack, 4 + 16 * n, offset);
        pack[4 + 16 * n + 4] = uint8_t(words >> 8);
        pack[4 + 16 * n + 5] = uint8_t(words);
        pack[4 + 16 * n + 9] = 1; // no loop
    };
    entry(0, 0, 100);
    entry(1, 200, 1500);
    entry(2, 0, 60000); // past the pack's end
    pack.resize(pack.size() + 3200, 0x40);
    const struct {
        uint8_t entry;
        uint32_t minWords, maxWords;
        bool fc13;
    } cases[] = {{0, 50, 100, false}, {1, 1400, 1500, false}, {2, 0, 0, false}, {1, 0, 0, true}};
    for (const auto& c : cases) {
        Song s = oneVoice(noteOnRow4(24), loud, {0xE9, 0, c.entry, 0, kEnd});
        s.sampleBytes = pack;
        s.fc13 = c.fc13; // 1.3 has no sample packs: E9 is a transpose there
        ASSERT_TRUE(open(build(s))) << int(c.entry);
        fromNote(1);
        EXPECT_GE(channel(0).remaining, c.minWords) << int(c.entry);
        EXPECT_LE(channel(0).remaining, c.maxWords) << int(c.entry);
        if (c.maxWords) { // then one word of silence, not the entry's first word again
            EXPECT_EQ(channel(0).length, 1u) << int(c.entry);
            EXPECT_NE(channel(0).location, channel(0).pointer - 2) << int(c.entry);
        }
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// E4 to a sample with a loop queues the loop: Paula plays it once the block it
// plays (here a waveform) ends.
TEST_F(FutureComposer, ChangeWaveQueuesASamplesLoop) {
    const std::vector<uint8_t> loud = {1, 0, 0, 0, 0, 64, kEnd};
    Song s = oneVoice(noteOnRow4(24), loud, {kSetWave, 10, 0, kChangeWave, 0, 0, kEnd});
    s.sampleWords = 2000;
    s.loopStart = 1000;
    s.loopWords = 500;
    ASSERT_TRUE(open(build(s)));
    fromNote(1);
    EXPECT_EQ(channel(0).length, 16u); // the waveform repeats
    watch(0, 1);
    EXPECT_EQ(channel(0).length, 500u); // then the sample's loop
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// A step's transpose moves its notes; its speed byte sets the ticks per row; an end
// mark cuts a pattern short; the song ends once per pass after its last step.
TEST_F(FutureComposer, StepsTransposeSetTheSpeedAndEndTheSong) {
    const std::vector<uint8_t> loud = {1, 0, 0, 0, 0, 64, kEnd};
    std::vector<uint8_t> shortPattern(64, 0);
    shortPattern[0] = 24;
    shortPattern[8] = 0x49; // four rows
    Song s = oneVoice(shortPattern, loud, kSquare, 3);
    s.steps.push_back({0, 12, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 0});
    ASSERT_TRUE(open(build(s)));
    EXPECT_EQ(channel(0).period, period(24));
    EXPECT_NEAR(playToSongEnd(), 2 * 4 * 3 * 0.02, 0.021);
    songRecord->songEndSignalled = 0;
    EXPECT_NEAR(playToSongEnd(), 2 * 2 * 4 * 3 * 0.02, 0.021);
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// Reference lengths (the table of shared songs): libopenmpt 0.8, which agrees with
// the other players within 0.3 s.
TEST_F(FutureComposer, SharedSongsEndOnTime) {
    const std::vector<SharedSong> songs = playedSharedSongs("Future Composer");
    if (songs.empty()) GTEST_SKIP() << "no shared songs at " << sharedSongRoot();
    for (const SharedSong& song : songs) {
        const auto path = sharedSongRoot() / song.file;
        ASSERT_TRUE(open(readBytes(path), path.filename().string())) << song.file;
        EXPECT_EQ(playerName(), "Future Composer") << song.file;
        // The file type names the version the song was written with.
        EXPECT_EQ(songRecord->formatName, song.format) << song.file;
        EXPECT_NEAR(playToSongEnd(), song.seconds, song.seconds * 0.01) << song.file;
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// Other formats' files are the detection matrix's (tests/songs).
TEST_F(FutureComposer, RandomDataIsRefused) {
    const int32_t fc = catalogueIndex("Future Composer");
    ASSERT_GT(fc, 0);
    std::mt19937 random(17);
    for (int i = 0; i < 50; ++i) {
        std::vector<uint8_t> noise(size_t(64 + random() % 20000));
        for (auto& b : noise) b = uint8_t(random());
        EXPECT_NE(identify(noise), fc) << i;
    }
}

// Cut or damaged songs of the format are refused or play without a fault: a 1.3
// song with samples and a 1.4 song with its own waveforms.
TEST_F(FutureComposer, CutAndDamagedSongsPlayWhatTheyCan) {
    for (const char* file : {"fc13/ZIQUE", "fc14/horizon.fc4"}) {
        const auto path = sharedModules() / file;
        if (!std::filesystem::exists(path)) GTEST_SKIP() << "no " << path;
        const std::vector<uint8_t> full = readBytes(path);
        const int32_t fc = identify(full);
        ASSERT_GT(fc, 0) << file;
        std::mt19937 random(4);
        std::vector<std::vector<uint8_t>> damaged;
        for (size_t size = 0; size < full.size(); size += size < 200 ? 37 : 1499)
            damaged.emplace_back(full.begin(), full.begin() + long(size));
        damaged.emplace_back(full.begin(), full.end() - 1);
        for (int i = 0; i < 12; ++i) {
            std::vector<uint8_t> bytes = full;
            for (int k = 0; k < 40; ++k) bytes[4 + random() % (bytes.size() - 4)] = uint8_t(random());
            damaged.push_back(bytes);
        }
        int played = 0;
        for (size_t i = 0; i < damaged.size(); ++i) {
            const int32_t who = identify(damaged[i]);
            EXPECT_TRUE(who == fc || who == -1) << file << " " << i;
            if (who != fc) continue;
            ASSERT_TRUE(open(damaged[i])) << file << " " << i;
            for (int t = 0; t < 300; ++t) ASSERT_TRUE(playerTick(*machine, *songRecord)) << file << " " << i;
            ++played;
        }
        EXPECT_GT(played, 3) << file; // cuts in the sample data still play
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

} // namespace
} // namespace varno::test
