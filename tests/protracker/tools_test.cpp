// The two tools the player is measured with: the module writer of varno-modgen
// (the file layout trackers use) and the envelope comparison of varno-compare.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "envelope.h"
#include "mod_writer.h"

namespace varno::test {
namespace {

uint16_t word(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b[at] << 8 | b[at + 1]); }

TEST(ModWriter, LaysOutTheFileAsTrackersDo) {
    modgen::Module m;
    m.title = "layout";
    m.samples.resize(2);
    m.samples[0] = {"one", std::vector<int8_t>(100, 1), 3, 40, 0, 0};
    m.samples[1] = {"two", std::vector<int8_t>(64, 2), 9, 64, 16, 32};
    m.patterns.resize(2);
    m.patterns[1].at(5, 2) = {0x12, 428, 0xC, 0x20};
    m.orders = {1, 0, 1};
    const std::vector<uint8_t> b = modgen::writeModule(m);
    ASSERT_EQ(b.size(), 1084u + 2 * 1024 + 100 + 64);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 6), "layout");
    EXPECT_EQ(std::string(b.begin() + 20, b.begin() + 23), "one");
    EXPECT_EQ(word(b, 42), 50) << "length in words";
    EXPECT_EQ(b[44], 3);
    EXPECT_EQ(b[45], 40);
    EXPECT_EQ(word(b, 46), 0);
    EXPECT_EQ(word(b, 48), 1) << "a one-shot sample repeats one word";
    EXPECT_EQ(word(b, 50 + 26), 8) << "loop start in words";
    EXPECT_EQ(word(b, 50 + 28), 16) << "loop length in words";
    EXPECT_EQ(b[950], 3);
    EXPECT_EQ(b[951], 0x7F);
    EXPECT_EQ(b[952], 1);
    EXPECT_EQ(b[954], 1);
    EXPECT_EQ(std::string(b.begin() + 1080, b.begin() + 1084), "M.K.");
    const size_t cell = 1084 + 1024 + 5 * 16 + 2 * 4;
    EXPECT_EQ(b[cell], 0x11) << "sample high nibble, period high nibble";
    EXPECT_EQ(b[cell + 1], 0xAC);
    EXPECT_EQ(b[cell + 2], 0x2C) << "sample low nibble, command";
    EXPECT_EQ(b[cell + 3], 0x20);
    EXPECT_EQ(b[1084 + 2 * 1024], 1) << "sample data after the patterns";
}

TEST(ModWriter, SoundTrackerFilesHaveFifteenSamplesAndNoMagic) {
    modgen::Module m;
    m.magic.clear();
    m.samples.resize(1);
    m.samples[0].data.assign(20, 5);
    m.patterns.resize(1);
    m.orders = {0};
    const std::vector<uint8_t> b = modgen::writeModule(m);
    ASSERT_EQ(b.size(), 600u + 1024 + 20);
    EXPECT_EQ(b[470], 1);
    EXPECT_EQ(b[600 + 1024], 5);
    m.samples.resize(16);
    EXPECT_THROW(modgen::writeModule(m), std::invalid_argument);
}

TEST(ModWriter, NotesByName) {
    const struct {
        const char* name;
        uint16_t period;
    } cases[] = {{"C-1", 856}, {"C#1", 808}, {"A-1", 508}, {"C-2", 428}, {"G-2", 285}, {"B-3", 113}};
    for (const auto& c : cases) EXPECT_EQ(modgen::note(c.name), c.period) << c.name;
    EXPECT_THROW(modgen::note("H-2"), std::invalid_argument);
    EXPECT_THROW(modgen::notePeriod(36), std::out_of_range);
}

TEST(Envelope, RmsPerWindow) {
    std::vector<float> samples(300, 0.5f);
    for (size_t i = 100; i < 200; ++i) samples[i] = (i % 2) ? 0.25f : -0.25f;
    const auto env = compare::rmsEnvelope(samples, 100);
    ASSERT_EQ(env.size(), 3u);
    EXPECT_DOUBLE_EQ(env[0], 0.5);
    EXPECT_DOUBLE_EQ(env[1], 0.25);
}

TEST(Envelope, CorrelationIgnoresScaleButNotShape) {
    const std::vector<double> a = {1, 2, 3, 2, 1, 5}, scaled = {3, 6, 9, 6, 3, 15}, flipped = {5, 4, 3, 4, 5, 1};
    EXPECT_NEAR(compare::correlation(a, scaled), 1.0, 1e-12);
    EXPECT_NEAR(compare::correlation(a, flipped), -1.0, 1e-12);
    EXPECT_EQ(compare::correlation(a, std::vector<double>(6, 2.0)), 0.0) << "a constant side";
}

// A burst pattern and the same 30 ms later: the best shift finds the delay.
TEST(Envelope, BestShiftFindsTheDelay) {
    std::vector<float> a(48000), b(48000);
    for (size_t i = 0; i < a.size(); ++i) a[i] = float(std::sin(0.05 * double(i)) * ((i / 2400) % 3 == 0 ? 1.0 : 0.2));
    for (size_t i = 1440; i < b.size(); ++i) b[i] = a[i - 1440];
    const auto best = compare::bestShift(a, b, 960, 48, 1920);
    EXPECT_EQ(best.lag, 1440);
    EXPECT_GT(best.correlation, 0.999);
    EXPECT_LT(compare::bestShift(a, b, 960, 48, 480).correlation, 0.99) << "beyond the range searched";
}

} // namespace
} // namespace varno::test
