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

// Names are Amiga text, shown as UTF-8; the format and voices are the song's own.
TEST_F(Songs, TitlesInstrumentNamesFormatAndVoicesComeFromTheSong) {
    if (!std::filesystem::exists(sharedModules() / "ahx")) GTEST_SKIP() << "no shared songs";
    const struct {
        const char* file;
        const char* format;
        const char* formatTitle;
        int voices;
        const char* title;
        size_t count;
        std::vector<std::string> names; // the first ones
    } cases[] = {
        {"ahx/Axel_G__invaders.ahx", "AHX", "AHX", 4, "invaders", 4, {"Bass", "Snare", "lead1", "sfx3"}},
        {"ahx/Juice__Mission_Impossible.ahx", "AHX", "AHX", 4, "Mission Impossible", 11,
         {"by: Juice/phase^D.", "send me an e-mail:", "nfox@jagor.srce.hr", "C64 lives forever!", "", "", "", "",
          "", "", ""}},
        {"ahx/Tony_Vera_Diaz__Binary_Teardrops.v1.ahx", "AHX", "AHX", 4, "Binary Teardrops", 26,
         {"(C)Tony Vera D\xc3\xad" "az", "15.12.1996 16.48", "Greets to:", "Fermix (\xc2\xa1gracias por pasarme el THX!)",
          "Xele (\xc2\xa1su\xc3\xa9nate los MOSCOS!)"}},
        {"hvl/sunspots.hvl", "HVL", "HVL", 6, "sunspots", 7,
         {"#  xeron / IRIS  #", "This is the second", "ever HVL tune, and", "my first 'proper'", "attempt at using",
          "this tracker i've", "created.. :-)"}},
        {"hvl/waiting_for_a_message.hvl", "HVL", "HVL", 5, "Waiting for a message", 11, {"#varthall/up rough", "22.10.12"}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(open(readBytes(sharedModules() / c.file))) << c.file;
        const SongInfo& info = songRecord->songInfo;
        EXPECT_STREQ(songRecord->songTitle, c.title) << c.file;
        EXPECT_STREQ(songRecord->formatName, c.format) << c.file;
        EXPECT_EQ(info.formatTitle, c.formatTitle) << c.file;
        EXPECT_EQ(info.voices, c.voices) << c.file;
        ASSERT_EQ(info.sampleNames.size(), c.count) << c.file;
        EXPECT_EQ(std::vector<std::string>(info.sampleNames.begin(), info.sampleNames.begin() + c.names.size()), c.names)
            << c.file;
        closeModule(*machine, *songRecord);
    }
}

} // namespace
} // namespace varno::test
