// The Future Composer player of the default archive on a machine of its own (see
// PlayerTest): modules are written to a scratch folder and opened the way the
// plugin opens them; faults the machine shows are collected.
#pragma once

#include <utility>

#include "kit/player_test.h"

namespace varno::test {

class FutureComposerTest : public PlayerTest {
protected:
    FutureComposerTest() : PlayerTest(defaultArchiveDirectory(), "song.fc") {}

    // Period and volume of a channel after each of the next `ticks` ticks.
    std::vector<std::pair<uint16_t, uint16_t>> watch(int n, int ticks) {
        std::vector<std::pair<uint16_t, uint16_t>> seen;
        for (int i = 0; i < ticks; ++i) {
            EXPECT_TRUE(playerTick(*machine, *songRecord));
            seen.push_back({channel(n).period, channel(n).volume});
        }
        return seen;
    }

    // Channel 0 from the tick in which its first note starts (before it, the voice is
    // silent at note 0's period), for `ticks` ticks.
    std::vector<std::pair<uint16_t, uint16_t>> fromNote(int ticks) {
        std::vector<std::pair<uint16_t, uint16_t>> seen;
        for (int i = 0; i < 16 && seen.empty(); ++i) {
            const auto t = watch(0, 1).front();
            if (t.first != 1712 || t.second != 0) seen.push_back(t);
        }
        EXPECT_FALSE(seen.empty()) << "no note";
        if (ticks > 1) {
            const auto rest = watch(0, ticks - 1);
            seen.insert(seen.end(), rest.begin(), rest.end());
        }
        return seen;
    }

};

} // namespace varno::test
