// Whole songs: the shared sample modules and the generated ones are recognised,
// named, split into their tunes, played to their song end in the time a reference
// player measures, and damaged modules play without a fault.
#include "players/player_archive.h"
#include "protracker_fixture.h"

#include <cmath>
#include <cstring>
#include <random>

#include "session/length_measure.h"
#include "songs.h"

namespace varno::test {
namespace {

using Songs = ProTrackerTest;

// Lengths as openmpt123 --info gives them: all tunes of a module, one after another.
const struct {
    const char* file;
    double seconds;
    uint32_t tunes;
} kSharedSongs[] = {{"area4-game.mod", 185.98, 4},
                    {"gardien-go.mod", 89.60, 2},
                    {"high-score.mod", 69.12, 1},
                    {"over-theme.mod", 92.16, 1},
                    {"tecnoballz.mod", 192.58, 1}};

TEST_F(Songs, SharedModulesPlayToTheirSongEndInTheReferenceTime) {
    if (!std::filesystem::exists(sharedModules())) GTEST_SKIP() << "no shared modules at " << sharedModules();
    for (const auto& song : kSharedSongs) {
        const std::vector<uint8_t> bytes = readBytes(sharedModules() / song.file);
        ASSERT_FALSE(bytes.empty()) << song.file;
        ASSERT_TRUE(open(bytes, song.file)) << song.file;
        EXPECT_EQ(songRecord->playerIndex, kProTracker) << song.file;
        EXPECT_STREQ(songRecord->formatName, "MOD") << song.file;
        EXPECT_EQ(std::string(songRecord->songTitle), std::string(song.file).substr(0, std::strlen(song.file) - 4));
        ASSERT_EQ(songRecord->subsongCount, song.tunes) << song.file;
        double seconds = 0;
        for (uint32_t tune = 0; tune < song.tunes; ++tune) {
            if (tune > 0) startSubsong(*machine, *songRecord, int32_t(tune), false);
            seconds += playToSongEnd();
            EXPECT_TRUE(songRecord->songEndSignalled) << song.file << " tune " << tune;
        }
        EXPECT_NEAR(seconds, song.seconds, song.seconds * 0.01) << song.file;
        closeModule(*machine, *songRecord);
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// A module with a pattern of `rows` empty rows (a break on the last) played first.
std::vector<uint8_t> withSilentOpening(std::vector<uint8_t> mod, int rows) {
    constexpr size_t kOrders = 952, kPatterns = 1084, kPatternBytes = 1024;
    const uint8_t patterns = uint8_t(*std::max_element(mod.begin() + kOrders, mod.begin() + kOrders + 128) + 1);
    std::vector<uint8_t> silent(kPatternBytes, 0);
    silent[size_t(rows - 1) * 16 + 2] = 0x0D; // D00 on channel 1
    mod.insert(mod.begin() + std::ptrdiff_t(kPatterns + patterns * kPatternBytes), silent.begin(), silent.end());
    std::copy_backward(mod.begin() + kOrders, mod.begin() + kOrders + 127, mod.begin() + kOrders + 128);
    mod[kOrders] = patterns;
    ++mod[950];
    return mod;
}

// Lengths measured, and what playing renders, for a song that opens with a silent
// pattern: the player finds the song's end, so its silence is trusted (up to 30 s),
// before the first sound as after it; either way the render lasts the length
// measured, to the frame.
TEST_F(Songs, SilentOpeningsArePlayedAndMeasuredAsTheSong) {
    const std::vector<uint8_t> highScore = readBytes(sharedModules() / "high-score.mod");
    if (highScore.empty()) GTEST_SKIP() << "no shared modules at " << sharedModules();
    const double row = 6 * 14187 / 709378.92;
    const struct {
        const char* what;
        int silentRows;
        double seconds;
    } cases[] = {
        {"high-score.mod", 0, 69.12},
        {"52 empty rows first", 52, 69.12 + 52 * row},
        {"64 empty rows first", 64, 69.12 + 64 * row},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(open(c.silentRows ? withSilentOpening(highScore, c.silentRows) : highScore, "high-score.mod"));
        ASSERT_EQ(songRecord->subsongCount, 1u);
        ASSERT_EQ(measureSubsongLengths(*machine, *songRecord), 1);
        const double length = songRecord->subsongSeconds[songRecord->firstSubsong];
        EXPECT_NEAR(length, c.seconds, 0.02);
        std::vector<float> buffer(9600);
        uint64_t values = 0;
        for (int32_t got = 1; got > 0;) values += uint64_t(got = render(*machine, *songRecord, buffer.data(), 9600));
        EXPECT_TRUE(songRecord->songEndSignalled);
        EXPECT_NEAR(double(values / 2), length * songRecord->sampleRate, 1.0) << "frames rendered";
        closeModule(*machine, *songRecord);
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// The generated songs, timed by hand: a tune that ends after r rows of 6 ticks has
// run 6 r + 1 ticks (the last one finds the repeated row).
TEST_F(Songs, GeneratedSongsEndWhenTheyComeRound) {
    const double tick = 14187 / 709378.92;
    const struct {
        const char* name;
        double seconds;
    } cases[] = {
        {"fx-arpeggio", (32 * 6 + 1) * tick},
        {"fx-pattern-loop", ((32 + 2 * 4 + 1 * 4) * 6 + 1) * tick},
        {"fx-pattern-delay", ((32 + 1 + 4 + 2) * 6 + 1) * tick},
        {"st-song", (32 * 6 + 1) * tick},
        // Speeds 3 and 12 at tempo 125, then tempos 80 and 192.
        {"fx-speed-tempo", (8 * 3 + 4 * 12) * 0.02 + (4 * 12 + 4 * 6) * 0.03125 + (12 * 6 + 1) * 2.5 / 192},
        // Tune 1: position 0 rows 0-15, position 1 rows 10-25, position 3 rows 0-7,
        // then round to position 0. Tune 2 starts at position 2 (never reached): rows
        // 0-15, then into position 3, which tune 1 played.
        {"fx-jump-break", ((16 + 16 + 8) * 6 + 1 + 16 * 6 + 1) * tick},
        {"demo", 52.19},
    };
    for (const auto& c : cases) {
        for (const auto& song : modgen::allSongs()) {
            if (song.name != c.name) continue;
            ASSERT_TRUE(open(song.module)) << c.name;
            double seconds = 0;
            for (uint32_t tune = 0; tune < songRecord->subsongCount; ++tune) {
                if (tune > 0) startSubsong(*machine, *songRecord, int32_t(tune), false);
                seconds += playToSongEnd(600);
            }
            EXPECT_NEAR(seconds, c.seconds, 0.03) << c.name;
            closeModule(*machine, *songRecord);
        }
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// Backward jumps into played rows end the song; so do jumps past the song's end
// (which restart it); pattern loops do not.
TEST_F(Songs, JumpsIntoPlayedRowsEndTheSong) {
    modgen::Module m;
    m.samples = {modgen::toneSample("tone")};
    m.patterns.resize(2);
    m.orders = {0, 1};
    const double row = 6 * 14187 / 709378.92;
    const struct {
        const char* what;
        int pattern, row, command, param;
        double rows;
    } cases[] = {
        {"break into played rows of position 0", 1, 9, 0xD, 0x05, 64 + 10},
        {"jump back to position 0", 1, 31, 0xB, 0x00, 64 + 32},
        {"jump past the end restarts", 1, 0, 0xB, 0x7E, 64 + 1},
        {"loop back three times, then on", 0, 7, 0xE, 0x63, 128 + 3 * 8},
    };
    for (const auto& c : cases) {
        for (auto& p : m.patterns) p = modgen::Pattern{};
        m.patterns[0].at(0, 0) = {1, 428, 0, 0};
        m.patterns[0].at(0, 3) = {0, 0, 0xE, 0x60};
        m.patterns[size_t(c.pattern)].at(c.row, 3) = {0, 0, uint8_t(c.command), uint8_t(c.param)};
        ASSERT_TRUE(open(m)) << c.what;
        EXPECT_EQ(songRecord->subsongCount, 1u) << c.what;
        EXPECT_NEAR(playToSongEnd(60), c.rows * row + 14187 / 709378.92, 1e-3) << c.what;
        closeModule(*machine, *songRecord);
    }
}

// Positions no jump reaches start tunes of their own, as in game modules: here
// positions 0-1 (which jump back to 0) and 2-3 (which run round into position 0).
TEST_F(Songs, UnreachedPositionsStartTunesOfTheirOwn) {
    modgen::Module m;
    m.samples = {modgen::toneSample("tone")};
    m.patterns.resize(4);
    for (int p = 0; p < 4; ++p) m.patterns[size_t(p)].at(0, 0) = {1, modgen::notePeriod(12 + p), 0, 0};
    m.patterns[1].at(63, 3) = {0, 0, 0xB, 0x00};
    m.orders = {0, 1, 2, 3};
    ASSERT_TRUE(open(m));
    ASSERT_EQ(songRecord->subsongCount, 2u);
    const double tick = 14187 / 709378.92;
    EXPECT_NEAR(playToSongEnd(60), (128 * 6 + 1) * tick, 1e-3);
    startSubsong(*machine, *songRecord, 1, false);
    EXPECT_EQ(channel(0).period, modgen::notePeriod(14)) << "tune 2 starts at position 2";
    EXPECT_NEAR(playToSongEnd(60), (128 * 6 + 1) * tick, 1e-3);
    EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(Songs, FormatNamesAndTitles) {
    const auto songs = modgen::allSongs();
    for (const auto& song : songs) {
        if (song.name != "demo" && song.name != "st-song") continue;
        ASSERT_TRUE(open(song.module)) << song.name;
        const bool soundtracker = song.name == "st-song";
        ASSERT_NE(currentPlayer(*machine, *songRecord), nullptr);
        EXPECT_STREQ(currentPlayer(*machine, *songRecord)->formatTitle, soundtracker ? "SoundTracker" : "ProTracker");
        EXPECT_STREQ(songRecord->formatName, "MOD");
        EXPECT_EQ(std::string(songRecord->songTitle), song.module.title);
        closeModule(*machine, *songRecord);
    }
    // Control characters in the title become spaces; trailing spaces go.
    modgen::Module m = songs[1].module;
    m.title = std::string("A\x01title   ");
    ASSERT_TRUE(open(m));
    EXPECT_STREQ(songRecord->songTitle, "A title");
}

// Modules damaged where the check does not look (pattern data, sample headers,
// missing sample data) open and play with no fault.
TEST_F(Songs, DamagedModulesPlayWithoutFaults) {
    std::vector<std::vector<uint8_t>> originals;
    for (const auto& song : modgen::allSongs()) originals.push_back(modgen::writeModule(song.module));
    if (std::filesystem::exists(sharedModules()))
        originals.push_back(readBytes(sharedModules() / "gardien-go.mod"));
    std::mt19937 random(1234);
    int played = 0;
    for (int i = 0; i < 120; ++i) {
        std::vector<uint8_t> bytes = originals[size_t(i) % originals.size()];
        const bool soundtracker = bytes.size() > 1083 && std::string(bytes.begin() + 1080, bytes.begin() + 1084) != "M.K.";
        const size_t headerEnd = soundtracker ? 600 : 1084;
        switch (i % 4) {
        case 0: // any bytes in the patterns and samples
            for (int k = 0; k < 200; ++k) bytes[headerEnd + random() % (bytes.size() - headerEnd)] = uint8_t(random());
            break;
        case 1: // sample lengths and loops far past the data
            for (int s = 0; s < (soundtracker ? 15 : 31); ++s)
                for (int k = 22; k < 30; k += 2) {
                    if (k == 24) continue;
                    bytes[size_t(20 + 30 * s + k)] = uint8_t(random());
                }
            break;
        case 2: // the sample data cut off
            bytes.resize(headerEnd + ((bytes.size() - headerEnd) * 2 / 3 / 1024) * 1024 + 1024);
            break;
        default: // every cell a random command
            for (size_t k = headerEnd + 2; k + 2 < bytes.size() && k < headerEnd + 3 * 1024; k += 4) {
                bytes[k] = uint8_t((bytes[k] & 0xF0) | (random() & 0x0F));
                bytes[k + 1] = uint8_t(random());
            }
            break;
        }
        if (!open(bytes)) continue;
        ++played;
        for (int t = 0; t < 600 && !songRecord->songEndSignalled; ++t) runTick(*machine, *songRecord, t % 2);
        closeModule(*machine, *songRecord);
    }
    EXPECT_GT(played, 60);
    EXPECT_TRUE(errors.empty()) << errors.size() << " faults, first: " << errors.front();
}

} // namespace
} // namespace varno::test
