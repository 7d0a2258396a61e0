// Recognising MMD songs: every song the writer makes is taken (the shared ones are
// the detection matrix's, tests/songs); the beginnings of other formats' files,
// random data, cut and damaged files are refused or play without a fault, and songs
// of more than 8 channels are refused.
#include "med_fixture.h"
#include "songs/shared_songs.h"

#include <random>

namespace varno::test {
namespace {

using Check = MedTest;

MedSong fourLineSong() {
    MedSong song = simpleSong(4);
    song.blocks[0].at(0, 0) = {13, 1, 0, 0};
    song.blocks[0].at(2, 1) = {20, 1, 0, 0};
    return song;
}

TEST_F(Check, WrittenSongsOfEveryVersionAreTaken) {
    for (int version = 0; version <= 3; ++version) {
        MedSong song = fourLineSong();
        song.version = version;
        EXPECT_EQ(identify(writeMed(song)), octamed) << "MMD" << version;
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// The whole files are the detection matrix's; their beginnings, as a cut download
// would leave them, are refused too.
TEST_F(Check, BeginningsOfOtherFormatsFilesAreRefused) {
    if (!std::filesystem::exists(sharedSongRoot())) GTEST_SKIP() << "no shared modules";
    int files = 0;
    for (const SharedSong& song : sharedSongTable()) {
        if (song.player == "OctaMED") continue;
        const auto path = sharedSongRoot() / song.file;
        const std::vector<uint8_t> bytes = readBytes(path);
        const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + long(bytes.size() / 3));
        EXPECT_NE(identify(cut, path.filename().string()), octamed) << song.file << " cut";
        ++files;
    }
    EXPECT_GT(files, 20);
    EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(Check, RandomDataIsNeverASong) {
    std::mt19937 random(19);
    int accepted = 0;
    for (int i = 0; i < 1500; ++i) {
        std::vector<uint8_t> bytes(i % 10 == 0 ? 20000 + random() % 60000 : 52 + random() % 4096);
        for (auto& b : bytes) b = uint8_t(random());
        // Half of them with an MMD id in front, so that the offsets are judged.
        if (i % 2) bytes[0] = 'M', bytes[1] = 'M', bytes[2] = 'D', bytes[3] = uint8_t('0' + i % 4);
        if (identify(bytes) == octamed) ++accepted;
    }
    EXPECT_EQ(accepted, 0);
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// One damage at a time to a good song; each is refused.
TEST_F(Check, DamagedStructuresAreRefused) {
    const std::vector<uint8_t> good = writeMed(fourLineSong());
    auto be32 = [&](uint32_t at) { return uint32_t(good[at] << 24 | good[at + 1] << 16 | good[at + 2] << 8 | good[at + 3]); };
    const uint32_t song = kMedSongOffset, size = uint32_t(good.size());
    const uint32_t block = be32(be32(16)); // block 0's header: tracks and lines
    const struct {
        const char* what;
        uint32_t offset;
        uint32_t value;
        int bytes;
    } cases[] = {
        {"id MMD4", 3, '4', 1},
        {"id in lower case", 0, 'm', 1},
        {"no song structure", 8, 0, 4},
        {"song structure past the end", 8, 0x100000, 4},
        {"song structure cut by the end", 8, size - 100, 4},
        {"no blocks", song + 504, 0, 2},
        {"more blocks than the player keeps", song + 504, 0x7FFF, 2},
        {"empty play sequence", song + 506, 0, 2},
        {"play sequence longer than 256", song + 506, 257, 2},
        {"play sequence of missing blocks only", song + 508, 7, 1},
        {"block table past the end", 16, 0x7F000000, 4},
        {"block past the end", be32(16), size + 2, 4},
        {"block of 9 tracks", block, 9, 2},
        {"block of 0 tracks", block, 0, 2},
        {"block lines past the end", block + 2, 0x7FFF, 2},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes = good;
        for (int i = 0; i < c.bytes; ++i) bytes[c.offset + i] = uint8_t(c.value >> (8 * (c.bytes - 1 - i)));
        EXPECT_EQ(identify(bytes), -1) << c.what;
    }
    EXPECT_EQ(identify(good), octamed);
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// Only the first 128 KB are present during a check: an MMD2 song whose play
// sequence lies after a long sample is taken, and one whose sequence lies outside
// the file is refused.
TEST_F(Check, PlaySequencesPastTheCheckedBytesAreJudgedByTheLoad) {
    MedSong song = fourLineSong();
    song.version = 2;
    song.sequences_last = true;
    MedInstrument long_sample;
    long_sample.data = squareWave(150000);
    song.instruments.push_back(long_sample);
    std::vector<uint8_t> bytes = writeMed(song);
    ASSERT_GT(bytes.size(), 0x20000u);
    EXPECT_EQ(identify(bytes), octamed);
    ASSERT_TRUE(open(bytes));
    for (int t = 0; t < 30; ++t) playerTick(*machine, *songRecord);
    closeModule(*machine, *songRecord);
    // The section table's pointer moved past the end of the file.
    const uint32_t size = uint32_t(bytes.size()) + 16;
    for (int k = 0; k < 4; ++k) bytes[kMedSongOffset + 512 + k] = uint8_t(size >> (24 - 8 * k));
    EXPECT_EQ(identify(bytes), -1);
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// OctaMED Soundstudio songs of 9 to 64 channels are refused; 5 to 8 are mixed.
TEST_F(Check, SongsOfMoreThanEightChannelsAreRefused) {
    for (unsigned tracks : {1u, 4u, 5u, 8u, 9u, 16u, 64u}) {
        for (int version : {1, 2}) {
            MedSong song = simpleSong(4);
            song.version = version;
            song.blocks[0] = MedBlock(tracks, 4);
            song.blocks[0].at(0, tracks - 1) = {13, 1, 0, 0};
            song.mmd2_tracks = uint16_t(tracks);
            song.flags |= tracks > 4 ? 0x40 : 0;
            EXPECT_EQ(identify(writeMed(song)), tracks <= 8 ? octamed : -1) << tracks << " tracks, MMD" << version;
        }
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// A cut song is refused or plays what it has; damage anywhere never faults.
TEST_F(Check, CutAndDamagedSongsNeverFault) {
    MedSong song = fourLineSong();
    MedInstrument synth;
    synth.type = -1;
    synth.volumes = {64, 0xF2, 4, 0xFE, 1};
    synth.waveforms = {0, 1, 0xFE, 0};
    synth.waves = {squareWave(32), squareWave(64)};
    song.instruments.push_back(synth);
    song.blocks[0].at(1, 2) = {25, 2, 0, 0};
    const std::vector<uint8_t> full = writeMed(song);
    int played = 0;
    for (size_t size = 0; size < full.size(); size += 23) {
        const std::vector<uint8_t> cut(full.begin(), full.begin() + long(size));
        if (identify(cut) != octamed) continue;
        ASSERT_TRUE(open(cut)) << size;
        for (int t = 0; t < 50; ++t) playerTick(*machine, *songRecord);
        ++played;
    }
    EXPECT_GT(played, 0);
    std::mt19937 random(5);
    for (int i = 0; i < 300; ++i) {
        std::vector<uint8_t> bytes = full;
        for (int k = 0; k < 1 + i % 12; ++k) bytes[random() % bytes.size()] = uint8_t(random());
        if (identify(bytes) != octamed || !open(bytes)) continue;
        for (int t = 0; t < 50; ++t) playerTick(*machine, *songRecord);
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

} // namespace
} // namespace varno::test
