// The shared songs: played to the song end in the time the reference players
// measure (AHX songs as the AHX 2.3d replay times them, HVL songs as
// HivelyTracker's), with their titles and instrument names.
#include "ahx_fixture.h"
#include "songs/shared_songs.h"

namespace varno::test {
namespace {

using Songs = AhxTest;

TEST_F(Songs, SharedSongsPlayToTheirEndInTheReferenceTime) {
    if (!std::filesystem::exists(sharedModules() / "ahx")) GTEST_SKIP() << "no shared songs";
    for (const SharedSong& song : playedSharedSongs("AHX")) {
        if (!song.compared) continue;
        const std::vector<uint8_t> bytes = readBytes(sharedSongRoot() / song.file);
        ASSERT_FALSE(bytes.empty()) << song.file;
        ASSERT_TRUE(open(bytes, std::filesystem::path(song.file).filename().string())) << song.file;
        EXPECT_EQ(songRecord->subsongCount, 1u) << song.file;
        const double seconds = playToSongEnd();
        EXPECT_TRUE(songRecord->songEndSignalled) << song.file;
        EXPECT_NEAR(seconds, song.seconds, song.seconds * 0.01) << song.file;
        closeModule(*machine, *songRecord);
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(Songs, TitlesAndInstrumentNamesComeFromTheSong) {
    if (!std::filesystem::exists(sharedModules() / "ahx")) GTEST_SKIP() << "no shared songs";
    const struct {
        const char* file;
        const char* format;
        const char* title;
        std::vector<std::string> names;
    } cases[] = {
        {"ahx/Axel_G__invaders.ahx", "AHX", "invaders", {"Bass", "Snare", "lead1", "sfx3"}},
        {"ahx/Juice__Mission_Impossible.ahx", "AHX", "Mission Impossible",
         {"by: Juice/phase^D.", "send me an e-mail:", "nfox@jagor.srce.hr", "C64 lives forever!", "", "", "", "",
          "", "", ""}},
        {"hvl/sunspots.hvl", "HVL", "sunspots",
         {"#  xeron / IRIS  #", "This is the second", "ever HVL tune, and", "my first 'proper'", "attempt at using",
          "this tracker i've", "created.. :-)"}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(open(readBytes(sharedModules() / c.file))) << c.file;
        EXPECT_STREQ(songRecord->songTitle, c.title) << c.file;
        EXPECT_STREQ(songRecord->formatName, c.format) << c.file;
        EXPECT_EQ(songRecord->songInfo.sampleNames, c.names) << c.file;
        closeModule(*machine, *songRecord);
    }
}

} // namespace
} // namespace varno::test
