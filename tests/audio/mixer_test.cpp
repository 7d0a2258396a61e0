// The mixers: gains, halving, mono averaging in double precision, and the
// surround cross-feed with its delay across ticks, to the frame.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "audio/mixer.h"
#include "audio/wide_vectors.h"
#include "machine/settings.h"
#include "session/song.h"

namespace varno {
namespace {

struct SettingsGuard {
    PluginSettings saved = pluginSettings;
    ~SettingsGuard() { pluginSettings = saved; }
};

// A song whose resampled channels hold that many frames of the given constant values.
void fill(Song& song, int32_t frames, float c0, float c1, float c2, float c3) {
    const float v[4] = {c0, c1, c2, c3};
    for (int c = 0; c < 4; ++c)
        for (int32_t i = 0; i < frames; ++i) song.resampledBuffers[c][size_t(i)] = v[c];
}

void pan(Song& song, int separation, int surround) {
    pluginSettings.stereo_separation = separation;
    pluginSettings.surround = surround;
    song.updatePan(pluginSettings);
}

TEST(MixStereo, GainsAndHalving) {
    SettingsGuard guard;
    Song song;
    std::vector<float> out(8, 9.0f);

    pan(song, 100, 0);
    fill(song, 3, 0.375f, 0, 0, 0);
    EXPECT_EQ(mixStereo(song, out.data(), 3), 6);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(out[size_t(2 * i)], 0.1875f);   // half the channel
        EXPECT_EQ(out[size_t(2 * i + 1)], 0.0f);  // exactly nothing on the right
    }
    EXPECT_EQ(out[6], 9.0f);

    // Channels 1 and 2 lean right, 0 and 3 left.
    fill(song, 1, 0, 0.25f, 0.125f, 0.0625f);
    mixStereo(song, out.data(), 1);
    EXPECT_EQ(out[0], 0.03125f);
    EXPECT_EQ(out[1], 0.1875f);

    // 75 %: hi = sqrt(0.875), lo = sqrt(0.125); channel 1 alone at 0.25.
    pan(song, 75, 0);
    fill(song, 1, 0, 0.25f, 0, 0);
    mixStereo(song, out.data(), 1);
    EXPECT_FLOAT_EQ(out[0], 0.0441941738f);  // 0.125 * 0.353553391
    EXPECT_FLOAT_EQ(out[1], 0.1169267934f);  // 0.125 * 0.935414347

    // Separation 0: all four at 0.5 give 0.5 * 4 * 0.5 * sqrt(0.5) on both sides.
    pan(song, 0, 0);
    fill(song, 1, 0.5f, 0.5f, 0.5f, 0.5f);
    mixStereo(song, out.data(), 1);
    EXPECT_FLOAT_EQ(out[0], 0.70710678f);
    EXPECT_FLOAT_EQ(out[1], 0.70710678f);
}

// Every frame of noisy channels at uneven pans, bit for bit the definition, with
// and without 256-bit vectors, over lengths that leave every kind of tail.
TEST(MixStereo, EveryFrameFollowsTheDefinitionBitForBit) {
    Song song;
    const double pans[4][2] = {{0.9375, 0.3125}, {0.0625, 1.0}, {0.7, 0.2}, {0.0, 0.53125}};
    for (int c = 0; c < 4; ++c)
        for (int side = 0; side < 2; ++side) song.channelPan[c][side] = float(pans[c][side]);
    uint32_t seed = 777;
    for (int32_t i = 0; i < 1000; ++i)
        for (auto& channel : song.resampledBuffers) {
            seed = seed * 1664525u + 1013904223u;
            channel[size_t(i)] = float(int32_t(seed >> 8) - (1 << 23)) / float(1 << 24);
        }
    for (const bool wide : {false, true}) {
        const bool using256 = allowWideVectors(wide);
        for (const int32_t frames : {1, 2, 3, 5, 7, 960, 999}) {
            std::vector<float> out(size_t(2 * frames) + 1, 9.0f);
            ASSERT_EQ(mixStereo(song, out.data(), frames), 2 * frames);
            int differing = 0;
            for (int32_t i = 0; i < frames; ++i)
                for (int side = 0; side < 2; ++side) {
                    double sum = 0.0;
                    for (int c = 0; c < 4; ++c)
                        sum = sum + double(song.resampledBuffers[c][size_t(i)]) * double(song.channelPan[c][side]);
                    differing += out[size_t(2 * i + side)] != float(0.5 * sum);
                }
            EXPECT_EQ(differing, 0) << frames << " frames" << (using256 ? ", 256-bit" : "");
            EXPECT_EQ(out[size_t(2 * frames)], 9.0f) << "nothing past the last frame";
        }
    }
    allowWideVectors(true);
}

TEST(MixMono, AveragesInDoublePrecisionWhateverTheSeparation) {
    SettingsGuard guard;
    Song song;
    std::vector<float> out(4, 9.0f);
    for (int separation : {0, 75, 100}) {
        pan(song, separation, 0);
        fill(song, 2, 0.5f, -0.25f, 0.125f, 0.0625f);
        EXPECT_EQ(mixMono(song, out.data(), 2), 2);
        EXPECT_EQ(out[0], 0.109375f);
        EXPECT_EQ(out[1], 0.109375f);
        EXPECT_EQ(out[2], 9.0f);
    }
    // A float running sum would lose the small value against the large ones.
    fill(song, 1, 1e-8f, 0.5f, -0.5f, 0.0f);
    mixMono(song, out.data(), 1);
    EXPECT_EQ(out[0], float(0.25 * double(1e-8f)));
}

class Surround : public ::testing::Test {
protected:
    SettingsGuard guard;
    Song song;
    std::vector<float> out = std::vector<float>(2 * 4096, 9.0f);
    const float k = float(0.699999988079071);

    void SetUp() override { pan(song, 75, 1); } // surround forces full separation
    // One tick of `frames` frames with a left impulse (channel 0) at `at`, or none.
    int32_t tick(int32_t frames, int32_t at, float value = 0.5f) {
        fill(song, frames, 0, 0, 0, 0);
        if (at >= 0) song.resampledBuffers[0][size_t(at)] = value;
        return mixSurround(song, out.data(), frames);
    }
    float left(int32_t frame) const { return out[size_t(2 * frame)]; }
    float right(int32_t frame) const { return out[size_t(2 * frame + 1)]; }
    // Frames that are not silent, as (frame, side) pairs.
    std::vector<std::pair<int32_t, int>> loudFrames(int32_t frames) const {
        std::vector<std::pair<int32_t, int>> loud;
        for (int32_t i = 0; i < frames; ++i)
            for (int side = 0; side < 2; ++side)
                if (out[size_t(2 * i + side)] != 0.0f) loud.push_back({i, side});
        return loud;
    }
    using Loud = std::vector<std::pair<int32_t, int>>;
};

TEST_F(Surround, OppositeSideFollowsFourHundredEightyFramesLater) {
    const float expected = float(0.699999988079071 * 0.25);
    EXPECT_EQ(tick(960, 100), 1920);
    EXPECT_EQ(left(100), expected);   // at once, scaled by k
    EXPECT_EQ(right(580), expected);  // the same value 480 frames later
    EXPECT_EQ(loudFrames(960), (Loud{{100, 0}, {580, 1}}));

    // An impulse late in a tick reaches the right side in the next tick.
    tick(960, 700);
    EXPECT_EQ(loudFrames(960), (Loud{{700, 0}}));
    tick(960, -1);
    EXPECT_EQ(loudFrames(960), (Loud{{220, 1}}));
    EXPECT_EQ(right(220), expected);
    tick(960, -1);
    EXPECT_TRUE(loudFrames(960).empty());
}

TEST_F(Surround, DelayRunsOnAcrossTicksOfOtherLengths) {
    // 1000-frame ticks: still a 480-frame delay across the boundary.
    tick(1000, 900);
    tick(1000, -1);
    EXPECT_EQ(loudFrames(1000), (Loud{{380, 1}}));
    // Right-side input crosses to the left the same way.
    fill(song, 1000, 0, 0.5f, 0, 0);
    mixSurround(song, out.data(), 1000);
    EXPECT_EQ(right(0), float(0.699999988079071 * 0.25));
    EXPECT_EQ(left(0), 0.0f);
    EXPECT_EQ(left(479), 0.0f);
    EXPECT_EQ(left(480), float(0.699999988079071 * 0.25));
}

TEST_F(Surround, ShortTicksFollowTheRulesAsWritten) {
    // A tick shorter than the delay: the cross-feed comes from the saved values
    // of the previous call, d = n values back.
    tick(200, 10);
    EXPECT_EQ(loudFrames(200), (Loud{{10, 0}}));
    tick(200, -1);
    EXPECT_EQ(loudFrames(200), (Loud{{10, 1}}));

    // A long tick leaves values in the mix buffer beyond what a following short
    // tick writes; the short tick saves them, and the next long tick plays them.
    tick(960, 300);   // left at 300, right at 780
    tick(200, -1);
    EXPECT_TRUE(loudFrames(200).empty());
    tick(960, -1);
    EXPECT_EQ(loudFrames(960), (Loud{{300, 1}}));
}

TEST_F(Surround, DelayLongerThanTheBufferIsHeldToIt) {
    song.frameSamples = 1u << 20; // far beyond the delay buffers
    tick(4000, 10);
    EXPECT_EQ(left(10), float(0.699999988079071 * 0.25));
    tick(4000, -1);
    EXPECT_EQ(loudFrames(4000), (Loud{{10, 1}}));
}

// Every value of busy ticks of many lengths (vector passes and scalar tails;
// ticks no shorter than the delay, where it is simply the mix one delay
// earlier) is what the cross-feed's definition gives, bit for bit: each side
// plus g times the other side one delay earlier, scaled by 0.7, in double
// precision and rounded once to a float.
TEST(SurroundMix, EveryValueFollowsTheDefinitionBitForBit) {
    for (const bool wide : {false, true}) {
        SettingsGuard guard;
        Song song;
        pan(song, 75, 1);
        std::vector<float> out(2 * 4096);
        const bool using256 = allowWideVectors(wide);
        song.surroundLevel = 0.8125f;
        const double g = song.surroundLevel;
        const int32_t delay = int32_t(song.frameSamples); // values: frameSamples / 2 frames
        std::vector<float> history(size_t(delay), 0.0f); // the stereo mix as heard, newest last
        uint32_t seed = 12345;
        const auto noise = [&seed] {
            seed = seed * 1664525u + 1013904223u;
            return float(int32_t(seed >> 8) - (1 << 23)) / float(1 << 24);
        };
        for (const int32_t frames : {960, 481, 2000, 483, 960, 1023, 480}) {
            for (int c = 0; c < 4; ++c)
                for (int32_t i = 0; i < frames; ++i) song.resampledBuffers[c][size_t(i)] = noise();
            std::vector<float> mix(size_t(2 * frames));
            mixStereo(song, mix.data(), frames);
            ASSERT_EQ(mixSurround(song, out.data(), frames), 2 * frames);
            history.insert(history.end(), mix.begin(), mix.end());
            const size_t first = history.size() - mix.size();
            int differing = 0;
            for (size_t v = 0; v < mix.size(); v += 2) {
                const float other[2] = {history[first + v + 1 - size_t(delay)], history[first + v - size_t(delay)]};
                for (size_t side = 0; side < 2; ++side)
                    differing += out[v + side] != float(kSurroundScale * (g * other[side] + mix[v + side]));
            }
            EXPECT_EQ(differing, 0) << frames << " frames" << (using256 ? ", 256-bit" : "");
        }
    }
    allowWideVectors(true);
}

} // namespace
} // namespace varno
