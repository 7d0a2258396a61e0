// Recognising modules: every generated song and magic is taken by its player, and
// nothing else is, whatever the data: random bytes, cut and damaged modules, and
// every other file the project has.
#include "protracker_fixture.h"

#include <random>

#include "songs.h"

namespace varno::test {
namespace {

using Check = ProTrackerTest;

std::vector<uint8_t> songBytes(const char* name) {
    for (const auto& s : modgen::allSongs())
        if (s.name == name) return modgen::writeModule(s.module);
    ADD_FAILURE() << "no song " << name;
    return {};
}

TEST_F(Check, EveryGeneratedSongFindsItsPlayer) {
    for (const auto& song : modgen::allSongs()) {
        const bool soundtracker = song.module.magic.empty();
        EXPECT_EQ(identify(modgen::writeModule(song.module)), soundtracker ? kSoundTracker : kProTracker)
            << song.name;
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(Check, OnlyTheFourChannelMagicsAreProTracker) {
    const struct {
        const char* magic;
        int32_t player;
    } cases[] = {{"M.K.", kProTracker}, {"M!K!", kProTracker}, {"FLT4", kProTracker}, {"4CHN", kProTracker},
                 {"6CHN", -1},          {"8CHN", -1},          {"FLT8", -1},          {"M.K ", -1},
                 {"m.k.", -1},          {"CD81", -1}};
    std::vector<uint8_t> bytes = songBytes("fx-arpeggio");
    for (const auto& c : cases) {
        std::copy(c.magic, c.magic + 4, bytes.begin() + 1080);
        EXPECT_EQ(identify(bytes), c.player) << c.magic;
    }
}

// A module is taken exactly when all its patterns are there; sample data may be cut
// short (it plays what there is).
TEST_F(Check, CutModulesAreTakenOnlyWithAllTheirPatterns) {
    const std::vector<uint8_t> full = songBytes("fx-jump-break"); // patterns 0..2
    const size_t patternsEnd = 1084 + 3 * 1024;
    for (size_t size = 0; size <= full.size(); size += size < patternsEnd + 64 ? 61 : 397) {
        const std::vector<uint8_t> cut(full.begin(), full.begin() + long(size));
        EXPECT_EQ(identify(cut), size >= patternsEnd ? kProTracker : -1) << size;
    }
    for (size_t size : {patternsEnd - 1, patternsEnd, patternsEnd + 1}) {
        const std::vector<uint8_t> cut(full.begin(), full.begin() + long(size));
        EXPECT_EQ(identify(cut), size >= patternsEnd ? kProTracker : -1) << size;
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// The header's limits, one damage at a time, on both kinds of module.
TEST_F(Check, DamagedHeadersAreRefused) {
    const std::vector<uint8_t> pt = songBytes("fx-jump-break"), st = songBytes("st-song");
    const struct {
        const char* what;
        bool soundtracker;
        size_t offset;
        uint8_t value;
    } cases[] = {
        {"song length 0", false, 950, 0},
        {"song length 129", false, 950, 129},
        {"position naming pattern 128", false, 952, 128},
        {"position naming a pattern the file lacks", false, 953, 9},
        {"ST song length 0", true, 470, 0},
        {"ST position naming pattern 64", true, 472, 64},
        {"ST title not text", true, 3, 0x07},
        {"ST sample name not text", true, 20 + 30 * 2 + 5, 0xE4},
        {"ST volume above 64", true, 20 + 25, 65},
        {"ST finetune byte above 15", true, 20 + 24, 0x10},
        {"ST loop past the sample", true, 20 + 30 * 1 + 28, 0x7F},
        {"ST cell with sample 16 or more", true, 600 + 4 * 5, 0x10},
        {"ST cell with a period below any note", true, 600 + 4 * 9 + 1, 0x20},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes = c.soundtracker ? st : pt;
        bytes[c.offset] = c.value;
        EXPECT_EQ(identify(bytes), -1) << c.what;
    }
    // A SoundTracker file much longer than its parts add up to is something else.
    std::vector<uint8_t> longer = st;
    longer.resize(st.size() + 20000, 0x55);
    EXPECT_EQ(identify(longer), -1);
    EXPECT_EQ(identify(st), kSoundTracker);
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// The tag at 1080 is shared by packers whose patterns are not ProTracker's
// (NoiseRunner, Unic Tracker's three-byte cells; the shared WOC92.NRU and
// mod.sad-song in the detection matrix): more than one odd cell in 16 in the first
// patterns (a sample past 31, a period no tracker has) refuses the file, a few
// hand-edited ones do not.
TEST_F(Check, PatternsOfAnotherLayoutAreRefused) {
    const std::vector<uint8_t> good = songBytes("fx-jump-break");  // 3 patterns: 768 cells, 48 may be odd
    const struct {
        const char* what;
        int cells;
        uint8_t byte0, byte1;
        bool taken;
    } cases[] = {
        {"48 cells naming sample 32", 48, 0x20, 0x00, true},  {"49 cells naming sample 32", 49, 0x20, 0x00, false},
        {"48 cells of period 20", 48, 0x00, 20, true},        {"49 cells of period 20", 49, 0x00, 20, false},
        {"49 cells of period 1712", 49, 0x06, 0xB0, true},    {"49 cells of period 1713", 49, 0x06, 0xB1, false},
        {"49 cells of period 28", 49, 0x00, 28, true},        {"49 cells of period 27", 49, 0x00, 27, false},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes = good;
        for (int k = 0; k < c.cells; ++k) {
            const size_t cell = 1084 + size_t(k) * 15 * 4;
            bytes[cell] = c.byte0;
            bytes[cell + 1] = c.byte1;
        }
        EXPECT_EQ(identify(bytes), c.taken ? kProTracker : -1) << c.what;
    }
    EXPECT_EQ(identify(good), kProTracker);
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// Only the first 128 KB are present during a check; the size is the whole file's.
TEST_F(Check, LargeModulesAreJudgedOnTheirFirst128Kb) {
    modgen::Module big = modgen::allSongs()[0].module;
    big.samples.push_back(modgen::toneSample("long", 4000)); // 128000 bytes
    const std::vector<uint8_t> bytes = modgen::writeModule(big);
    ASSERT_GT(bytes.size(), 0x20000u);
    EXPECT_EQ(identify(bytes), kProTracker);
    EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(Check, RandomDataIsNeverAModule) {
    std::mt19937 random(20261207);
    int accepted = 0;
    for (int i = 0; i < 2500; ++i) {
        const size_t size = i % 10 == 0 ? 60000 + random() % 80000 : random() % 4096;
        std::vector<uint8_t> bytes(size);
        for (auto& b : bytes) b = uint8_t(random());
        // Some with text where a SoundTracker header has its names.
        if (i % 3 == 0)
            for (size_t k = 0; k < std::min<size_t>(size, 600); ++k) bytes[k] = uint8_t(32 + random() % 95);
        if (identify(bytes) != -1) ++accepted;
    }
    EXPECT_EQ(accepted, 0);
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// Random damage after the magic: whatever the check says, it never faults.
TEST_F(Check, DamageAnywhereNeverFaultsTheCheck) {
    std::mt19937 random(7);
    const std::vector<uint8_t> songs[] = {songBytes("demo"), songBytes("st-song")};
    for (int i = 0; i < 600; ++i) {
        std::vector<uint8_t> bytes = songs[i % 2];
        for (int k = 0; k < 1 + i % 20; ++k) bytes[random() % std::min<size_t>(bytes.size(), 4000)] = uint8_t(random());
        identify(bytes);
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// Every other file of the project: programs, test players, sources, build files.
TEST_F(Check, NoOtherFileOfTheProjectIsTaken) {
    int files = 0;
    for (const char* root : {VARNO_M68K_DIR, VARNO_SOURCE_DIR "/m68k", VARNO_SOURCE_DIR "/src", VARNO_SOURCE_DIR "/tests",
                             VARNO_BINARY_DIR "/tools"}) {
        if (!std::filesystem::exists(root)) continue;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
            if (!entry.is_regular_file() || entry.file_size() > 4 << 20) continue;
            const std::vector<uint8_t> bytes = readBytes(entry.path());
            // 0 is a custom module (a program that plays itself), not ours to take.
            const int32_t player = identify(bytes, entry.path().filename().string());
            EXPECT_TRUE(player == -1 || player == 0) << entry.path() << " taken by player " << player;
            ++files;
        }
    }
    EXPECT_GT(files, 200);
    EXPECT_TRUE(errors.empty()) << errors.front();
}

} // namespace
} // namespace varno::test
