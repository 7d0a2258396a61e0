// The OctaMED player of the default archive on a machine of its own (see
// PlayerTest), with songs from the tests' own MMD writer.
#pragma once

#include <cstring>

#include "kit/player_test.h"
#include "med_writer.h"

namespace varno::test {

// A channel after a tick.
struct Seen {
    uint16_t period, volume;
};

class MedTest : public PlayerTest {
public:
    MedTest() : PlayerTest(defaultArchiveDirectory(), "song.med") {}

    void SetUp() override {
        PlayerTest::SetUp();
        octamed = catalogueIndex("OctaMED");
        ASSERT_GT(octamed, 0) << "no OctaMED player in the default archive";
    }

    using PlayerTest::open;
    bool open(const MedSong& song) { return open(writeMed(song)); }

    // Opening ran the song's first tick ahead.
    static constexpr int kTicksRunAtOpen = 1;

    // The channel after each tick of line 1 (ticks 6..11 at six ticks a line).
    std::vector<Seen> watchLineOne(int n) {
        const std::vector<Seen> seen = watch(n, 12 - kTicksRunAtOpen);
        return std::vector<Seen>(seen.begin() + (6 - kTicksRunAtOpen), seen.end());
    }

    // What one channel looks like after each of the next `ticks` ticks.
    std::vector<Seen> watch(int n, int ticks) {
        std::vector<Seen> seen;
        for (int i = 0; i < ticks; ++i) {
            EXPECT_TRUE(playerTick(*machine, *songRecord));
            seen.push_back({channel(n).period, channel(n).volume});
        }
        return seen;
    }

    int32_t octamed = -1;
};

} // namespace varno::test
