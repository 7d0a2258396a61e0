// The ProTracker and SoundTracker players of the default archive on a machine of
// their own (see PlayerTest), with modules built by varno-modgen's library.
#pragma once

#include "kit/player_test.h"
#include "mod_writer.h"

namespace varno::test {

// A channel after a tick; `started` says whether its sample was (re)started in it.
struct Seen {
    uint16_t period, volume;
    bool started;
    uint32_t remaining; // words left in the block Paula is playing
};

class ProTrackerTest : public PlayerTest {
protected:
    void SetUp() override {
        PlayerTest::SetUp();
        kProTracker = catalogueIndex("ProTracker");
        kSoundTracker = catalogueIndex("SoundTracker");
    }

    using PlayerTest::open;
    bool open(const modgen::Module& module) { return open(modgen::writeModule(module)); }

    // What one channel looks like after each of the next `ticks` ticks.
    std::vector<Seen> watch(int n, int ticks) {
        std::vector<Seen> seen;
        for (int i = 0; i < ticks; ++i) {
            channel(n).pointer = 0; // a start sets it to the sample's second word
            EXPECT_TRUE(playerTick(*machine, *songRecord));
            const PaulaChannel& c = channel(n);
            seen.push_back({c.period, c.volume, c.pointer != 0 && c.state != kPaulaIdle, c.remaining});
        }
        return seen;
    }

    // Catalogue indices of the two players in the archive.
    int32_t kProTracker = -1, kSoundTracker = -1;
};

} // namespace varno::test
