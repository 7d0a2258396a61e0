// Recognising AHX and HVL songs: headers that do not fit are refused, and random,
// cut or damaged data never faults the player. Which shared files are taken is the
// detection matrix's (tests/songs).
#include "ahx_fixture.h"
#include "songs/shared_songs.h"

#include <random>

namespace varno::test {
namespace {

using Check = AhxTest;

// The magic alone is not enough: the layout must fit the file.
TEST_F(Check, HeadersThatDoNotFitTheFileAreRefused) {
    const std::vector<uint8_t> good = AhxSong{}.bytes();
    const struct {
        const char* what;
        size_t offset;
        uint8_t value;
    } cases[] = {
        {"revision 2", 3, 2},        {"no positions", 7, 0},          {"track length 0", 10, 0},
        {"track length 65", 10, 65}, {"64 instruments", 12, 64},       {"200 tracks", 11, 200},
        {"many subsongs", 13, 250},  {"lower-case magic", 0, 't'},    {"HVL with 17 channels", 8, 0x34},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes = good;
        bytes[c.offset] = c.value;
        if (c.offset == 8) std::copy_n("HVL", 3, bytes.begin());
        EXPECT_EQ(identify(bytes), -1) << c.what;
    }
    EXPECT_EQ(identify(good), ahx);
}

TEST_F(Check, RandomDataIsRefusedWithOrWithoutAMagic) {
    std::mt19937 random(18);
    for (int i = 0; i < 300; ++i) {
        std::vector<uint8_t> bytes(16 + random() % 3000);
        for (auto& b : bytes) b = uint8_t(random());
        if (i % 3 == 1) std::copy_n("THX", 4, bytes.begin());
        if (i % 3 == 2) std::copy_n("HVL", 4, bytes.begin());
        // Only a walk that lands exactly within the file is taken; random
        // counts almost never do, and a taken file must then play.
        if (identify(bytes) == ahx) {
            ASSERT_TRUE(open(bytes)) << i;
            for (int t = 0; t < 100; ++t) ASSERT_TRUE(playerTick(*machine, *songRecord)) << i;
        }
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// A cut song is taken exactly while its tracks and instruments are whole (the
// names that follow them, at the offset in bytes 4-5, may be cut); whatever is
// taken plays without a fault, and so does a song with damaged bytes.
TEST_F(Check, CutAndDamagedSongsPlayOrAreRefused) {
    const std::vector<SharedSong> songs = playedSharedSongs("AHX");
    if (songs.empty()) GTEST_SKIP() << "no shared songs";
    std::mt19937 random(1);
    int played = 0;
    for (const SharedSong& row : songs) {
        const std::filesystem::path song = sharedSongRoot() / row.file;
        const std::vector<uint8_t> full = readBytes(song);
        // Opening builds the filtered waveforms a song needs; the songs that need
        // few or none are played, all are checked.
        const std::string name = song.filename().string();
        const bool play = name.rfind("Axel_G", 0) == 0 || name.rfind("Serpent", 0) == 0 || name.rfind("Mice", 0) == 0 ||
                          name.rfind("yzi", 0) == 0 || name.rfind("there_you_are", 0) == 0;
        const size_t names = size_t(full[4]) << 8 | full[5];
        for (size_t size : {size_t(3), size_t(15), size_t(16), full.size() / 3, names - 1, names, names + 1,
                            full.size() - 1}) {
            const std::vector<uint8_t> cut(full.begin(), full.begin() + long(size));
            if (size < names) {
                EXPECT_NE(identify(cut), ahx) << song << " cut to " << size;
                continue;
            }
            ASSERT_EQ(identify(cut), ahx) << song << " cut to " << size;
            if (!play || size != names) continue;
            ASSERT_TRUE(open(cut)) << song << " cut to " << size;
            for (int t = 0; t < 50; ++t) ASSERT_TRUE(playerTick(*machine, *songRecord)) << song;
        }
        for (int round = 0; round < 3 && play; ++round) {
            std::vector<uint8_t> damaged = full;
            for (int k = 0; k < 8; ++k) damaged[16 + random() % (damaged.size() - 16)] = uint8_t(random());
            if (identify(damaged) != ahx) continue;
            ASSERT_TRUE(open(damaged)) << song;
            for (int t = 0; t < 300; ++t) ASSERT_TRUE(playerTick(*machine, *songRecord)) << song;
            ++played;
        }
    }
    EXPECT_GT(played, 5);
    EXPECT_TRUE(errors.empty()) << errors.front();
}

} // namespace
} // namespace varno::test
