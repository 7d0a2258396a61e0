// Time windows in frames, the fade, the gain and saturation.
#include <gtest/gtest.h>

#include <cmath>

#include "cli/option_values.h"
#include "cli/sample_level.h"
#include "cli/time_window.h"

namespace varno::cli {
namespace {

TEST(TimeWindowTest, OptionsBecomeFrameRanges) {
    const uint32_t rate = 1000;
    const struct {
        TimeWindow window;
        double length;
        uint64_t start, stop, fade;
        bool throughEnd;
        bool silenceIsMusic; // an end was chosen
        const char* error;   // part of the message, or null
    } cases[] = {
        {{}, 0, 0, kNoStop, 0, false, false, nullptr},
        {{30, 10, -1, 1, 0}, 83, 30000, 40000, 0, false, true, nullptr},  // --duration counts from --start
        {{30, -1, 40, 1, 0}, 83, 30000, 40000, 0, false, true, nullptr},  // --end is a song time
        {{30, 20, 40, 1, 0}, 83, 30000, 40000, 0, false, true, nullptr},  // the earlier end wins
        {{0, -1, -1, 3, 0}, 10.5, 0, 31500, 0, true, true, nullptr},      // loops: N times the length
        {{0, 5, -1, 3, 0}, 10.5, 0, 5000, 0, true, true, nullptr},
        {{0, -1, -1, 1, 2}, 10, 0, 10000, 2000, false, false, nullptr},   // fade before the song's end
        {{0, 1, -1, 1, 4}, 10, 0, 1000, 1000, false, true, nullptr},      // fade no longer than the window
        {{30, -1, 20, 1, 0}, 83, 0, 0, 0, false, false, "is not after --start"},
        {{0, -1, -1, 2, 0}, 0, 0, 0, 0, false, false, "--loops needs the song's length"},
        {{0, -1, -1, 1, 3}, 0, 0, 0, 0, false, false, "--fade needs an end"},
        {{90, -1, -1, 1, 3}, 83, 0, 0, 0, false, false, "before --start 1:30"},
        {{0, -1, -1, 1, 0, 10}, 83, 0, 10000, 0, false, false, nullptr},   // --time cuts every song there
        {{0, -1, 50, 1, 0, 10}, 83, 0, 10000, 0, false, true, nullptr},    // the earlier end wins
        {{0, -1, -1, 3, 0, 100}, 10.5, 0, 31500, 0, true, true, nullptr},
        {{0, -1, -1, 1, 2, 10}, 83, 0, 10000, 2000, false, false, nullptr}, // the fade comes before the cut
        {{0, -1, -1, 1, 2, 100}, 83, 0, 83000, 2000, false, false, nullptr}, // or before a sooner song end
        {{0, -1, -1, 1, 2, 10}, 0, 0, 10000, 2000, false, false, nullptr},  // and needs no known length
        {{20, -1, -1, 1, 0, 10}, 83, 0, 0, 0, false, false, "--time 0:10 cuts every song before --start 0:20"},
    };
    for (const auto& c : cases) {
        std::string error;
        const std::optional<FramePlan> plan = planFrames(c.window, c.length, rate, error);
        if (c.error) {
            EXPECT_FALSE(plan);
            EXPECT_NE(error.find(c.error), std::string::npos) << error;
            continue;
        }
        ASSERT_TRUE(plan) << error;
        EXPECT_EQ(plan->startFrame, c.start);
        EXPECT_EQ(plan->stopFrame, c.stop);
        EXPECT_EQ(plan->fadeFrames, c.fade);
        EXPECT_EQ(plan->playThroughSongEnd, c.throughEnd);
        EXPECT_EQ(plan->silenceIsMusic, c.silenceIsMusic);
    }
}

// Every text of a time or a length rounds it to the millisecond, the same way.
TEST(TimeWindowTest, TimesAndLengthsRoundToTheMillisecond) {
    const struct {
        double seconds;
        const char* length;
        const char* time;
    } rows[] = {
        {69.1186, "1:09.119", "1:09.119"}, {59.9996, "1:00.000", "1:00"}, {83.5754, "1:23.575", "1:23.575"},
        {0.0004, "0:00.000", "0:00"},      {600.5, "10:00.500", "10:00.500"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(lengthText(r.seconds), r.length) << r.seconds;
        EXPECT_EQ(timeText(r.seconds), r.time) << r.seconds;
    }
}

TEST(TimeWindowTest, FadeFallsToSilenceAtTheStop) {
    FramePlan plan;
    plan.stopFrame = 1000;
    plan.fadeFrames = 100;
    EXPECT_FLOAT_EQ(fadeGain(plan, 0), 1.0f);
    EXPECT_FLOAT_EQ(fadeGain(plan, 900), 1.0f);
    EXPECT_FLOAT_EQ(fadeGain(plan, 950), 0.5f);
    EXPECT_FLOAT_EQ(fadeGain(plan, 999), 0.01f);
    EXPECT_FLOAT_EQ(fadeGain(plan, 1000), 0.0f);
}

TEST(SampleLevelTest, GainScalesAndSaturatesInsteadOfWrapping) {
    EXPECT_NEAR(gainFactor(6.0206), 2.0f, 1e-4);
    EXPECT_NEAR(gainFactor(-20), 0.1f, 1e-6);
    const FramePlan plain;
    float samples[] = {0.25f, -0.25f, 0.75f, -0.75f};
    EXPECT_EQ(applyLevel(samples, 2, 2, 2.0f, plain, 0, true), 2u);
    EXPECT_FLOAT_EQ(samples[0], 0.5f);
    EXPECT_FLOAT_EQ(samples[1], -0.5f);
    EXPECT_FLOAT_EQ(samples[2], 1.0f);
    EXPECT_FLOAT_EQ(samples[3], -1.0f);
    // Floats may stay past full scale; they are only counted.
    float loud[] = {0.75f};
    EXPECT_EQ(applyLevel(loud, 1, 1, 2.0f, plain, 0, false), 1u);
    EXPECT_FLOAT_EQ(loud[0], 1.5f);

    const float values[] = {0.0f, 1.0f, -1.0f, 3.0f, -3.0f, 0.5f};
    uint8_t out[18];
    ASSERT_EQ(toPcm(values, 6, 16, out), 12u);
    const auto s16 = [&](int i) { return int16_t(uint16_t(out[2 * i] | out[2 * i + 1] << 8)); };
    EXPECT_EQ(s16(0), 0);
    EXPECT_EQ(s16(1), 32767);
    EXPECT_EQ(s16(2), -32767);
    EXPECT_EQ(s16(3), 32767);
    EXPECT_EQ(s16(4), -32768);
    EXPECT_EQ(s16(5), 16384);
    ASSERT_EQ(toPcm(values, 6, 24, out), 18u);
    const auto s24 = [&](int i) { return int32_t(uint32_t(out[3 * i] | out[3 * i + 1] << 8 | out[3 * i + 2] << 16) << 8) >> 8; };
    EXPECT_EQ(s24(1), 8388607);
    EXPECT_EQ(s24(4), -8388608);
}

TEST(OptionValuesTest, NumbersAndTimes) {
    EXPECT_EQ(parseNumberIn("44100", 8000, 192000), 44100.0);
    for (const char* bad : {"abc", "", "44100x", "1e9", "5", "nan", "inf"})
        EXPECT_FALSE(parseNumberIn(bad, 8000, 192000)) << bad;
    EXPECT_EQ(parseTime("90"), 90.0);
    EXPECT_EQ(parseTime("1:30.5"), 90.5);
    EXPECT_EQ(parseTime("0:05"), 5.0);
    for (const char* bad : {"-1", "1:60", "1.5:00", "a:10", ":", "1:"}) EXPECT_FALSE(parseTime(bad)) << bad;
}

} // namespace
} // namespace varno::cli
