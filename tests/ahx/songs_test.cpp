// The shared songs: played to the song end in the time the reference players
// measure (AHX songs as the AHX 2.3d replay times them, HVL songs as
// HivelyTracker's), with their titles and instrument names.
#include "ahx_fixture.h"

namespace varno::test {
namespace {

using Songs = AhxTest;

const struct {
    const char* file;
    double seconds;
} kSharedSongs[] = {
    {"ahx/451__ACES_HIGH.ahx", 281.1},
    {"ahx/Axel_G__invaders.ahx", 23.1},
    {"ahx/Chip_Champion__Janx.ahx", 108.3},
    {"ahx/Dalezy__spring_heeled_jack.ahx", 46.2},
    {"ahx/Estrayk__her_2.ahx", 94.9},
    {"ahx/Galassir__anxiety_and_vans_shoes.ahx", 167.0},
    {"ahx/Ikuma__Bloodbath.ahx", 163.3},
    {"ahx/Juice__Mission_Impossible.ahx", 25.6},
    {"ahx/Lint_Huffer__Paula_Has_No_Center.ahx", 176.9},
    {"ahx/Mice__fusion.ahx", 179.5},
    {"ahx/Neuroflip__64Kb.ahx", 164.1},
    {"ahx/Quirby64__crowbert_and_doog_play_ball.ahx", 42.3},
    {"ahx/Serpent__compofiller.ahx", 109.9},
    {"ahx/Spook__popcorn_-_mega_tekno_mix.ahx", 92.3},
    {"ahx/Tony_Vera_Diaz__Binary_Teardrops.v1.ahx", 115.4},
    {"ahx/Voskomo__rambo-mix-noloop.ahx", 170.2},
    {"ahx/Ziphoid__everlasting_heroes_hey_.ahx", 110.6},
    {"ahx/kleeder__Filtered_Sunrise_coop._TrippleP_.ahx", 210.8},
    {"ahx/yzi__requested_by_by_by_by.ahx", 102.3},
    {"hvl/illuminated.hvl", 57.6},
    {"hvl/sunspots.hvl", 46.0},
    {"hvl/there_you_are.hvl", 92.2},
    {"hvl/waiting_for_a_message.hvl", 46.1},
};

TEST_F(Songs, SharedSongsPlayToTheirEndInTheReferenceTime) {
    if (!std::filesystem::exists(sharedModules() / "ahx")) GTEST_SKIP() << "no shared songs";
    for (const auto& song : kSharedSongs) {
        const std::vector<uint8_t> bytes = readBytes(sharedModules() / song.file);
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
