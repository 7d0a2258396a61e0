// The skeleton player, built with the kit alone: what every kit player gets from it
// (detection within the bytes present, subsongs, song ends, module information, the
// tick on the CIA timer) seen from the host.
#include "kit/player_test.h"

#include "plugin/subsong_lengths.h"

namespace varno::test {
namespace {

class Skeleton : public PlayerTest {
protected:
    Skeleton() : PlayerTest(std::string(VARNO_M68K_DIR) + "/kit/") {}
};

struct Note {
    uint16_t period;
    uint8_t volume, ticks;
};

std::vector<uint8_t> song(const std::vector<Note>& notes, const std::string& name = "Tone",
                          const std::string& author = "Someone") {
    std::vector<uint8_t> bytes = {'V', 'S', 'K', 'L'};
    for (const std::string* text : {&name, &author})
        for (size_t i = 0; i < 20; ++i) bytes.push_back(i < text->size() ? uint8_t((*text)[i]) : ' ');
    bytes.push_back(uint8_t(notes.size()));
    for (const Note& n : notes) bytes.insert(bytes.end(), {uint8_t(n.period >> 8), uint8_t(n.period), n.volume, n.ticks});
    return bytes;
}

constexpr int32_t kSkeleton = 1;

TEST_F(Skeleton, ChecksOnlyTheBytesItHas) {
    const std::vector<uint8_t> good = song({{428, 64, 10}, {0, 0, 5}});
    const std::vector<uint8_t> cut(good.begin(), good.end() - 1); // the last note is missing a byte
    std::vector<uint8_t> noNotes = good;
    noNotes[44] = 0;
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        int32_t player;
    } cases[] = {{"whole", good, kSkeleton},     {"cut", cut, -1},
                 {"no notes", noNotes, -1},       {"another magic", std::vector<uint8_t>(64, 'V'), -1},
                 {"four bytes", {'V', 'S', 'K', 'L'}, -1}};
    for (const auto& c : cases) EXPECT_EQ(identify(c.bytes), c.player) << c.what;
    EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(Skeleton, PlaysItsNotesOnTheTimerAndEndsEachPass) {
    ASSERT_TRUE(open(song({{428, 64, 3}, {214, 32, 2}})));
    EXPECT_EQ(songRecord->playerIndex, kSkeleton);
    EXPECT_STREQ(songRecord->formatName, "VSKL");
    EXPECT_EQ(songRecord->subsongCount, 1u);
    // Opening ran tick 0: the first note sounds.
    EXPECT_EQ(channel(0).period, 428);
    EXPECT_EQ(channel(0).volume, 64);
    const uint16_t periods[] = {428, 428, 214, 214, 428};
    for (size_t i = 0; i < 5; ++i) {
        ASSERT_TRUE(playerTick(*machine, *songRecord));
        EXPECT_EQ(channel(0).period, periods[i]) << "tick " << i + 1;
        if (i == 2) {
            EXPECT_EQ(channel(0).volume, 32);
        }
    }
    EXPECT_EQ(songRecord->songEndSignalled, 1) << "tick 5 starts the tune again";
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// Lengths count the ticks heard: 40 notes of 25 ticks, 1000 ticks of 20 ms, longer
// than a play time of 10 s, which does not cut a player that finds its song's end.
TEST_F(Skeleton, LengthIsTheSongsOwnWhateverThePlayTime) {
    pluginSettings.default_playtime = 10;
    ASSERT_TRUE(open(song(std::vector<Note>(40, Note{300, 40, 25}))));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    EXPECT_EQ(measureSubsongLengths(*machine, *songRecord, deadline), 1);
    EXPECT_NEAR(songRecord->subsongSeconds[0], 1000 * 14188 / 709379.0, 0.001);
    EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(Skeleton, ModuleInformationReachesTheHost) {
    ASSERT_TRUE(open(song({{428, 64, 1}}, "Twenty characters!!!", "An Author")));
    EXPECT_STREQ(songRecord->songTitle, "Twenty characters!!!") << "a name filling its field has no zero byte";
    EXPECT_EQ(songRecord->songInfo.author, "An Author") << "padding blanks trimmed";
    EXPECT_EQ(songRecord->songInfo.positions, 1);
    EXPECT_EQ(songRecord->songInfo.patterns, -1) << "not reported";
    EXPECT_TRUE(songRecord->songInfo.sampleNames.empty());
}

} // namespace
} // namespace varno::test
