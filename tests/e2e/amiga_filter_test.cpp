// The LED filter switched by a replay routine: VTS9 writes CIA-A PRA and DDRA
// from its tick routine, phase by phase (see m68k/tests/players/vts9_filter.S), and the
// Amiga output models darken exactly the phases in which the LED is lit.
#include "e2e/session_fixture.h"

#include "audio/paula_steps.h"

namespace varno::test {
namespace {

using AmigaFilter = SessionTest;

constexpr int32_t kTickFrames = 960;
constexpr int32_t kPhaseTicks = 25;

// Brightness of a stretch of the left output: the RMS of its first difference
// over its RMS. Low-pass filtering lowers it.
double brightness(const std::vector<float>& y, size_t from, size_t count) {
    double d = 0, s = 0;
    for (size_t i = from + 1; i < from + count; ++i) {
        d += double(y[i] - y[i - 1]) * double(y[i] - y[i - 1]);
        s += double(y[i]) * double(y[i]);
    }
    return std::sqrt(d / s);
}

TEST_F(AmigaFilter, LedWritesSwitchTheFilterTickByTick) {
    const bool ledOn[] = {false, true, false, true, false};
    for (int32_t model : {kInterpolationA500, kInterpolationA1200}) {
        pluginSettings.interpolation = model;
        ASSERT_TRUE(open(write("filter.vts9", module("VTS9"))));
        EXPECT_EQ(songRecord->playerIndex, 15);
        ASSERT_EQ(renderFrames(5 * kPhaseTicks * kTickFrames), 5 * kPhaseTicks * kTickFrames);
        // The middle of each phase, clear of the tick or two the audio path lags by.
        double measured[5];
        for (int p = 0; p < 5; ++p)
            measured[p] = brightness(left, size_t((p * kPhaseTicks + 5) * kTickFrames), 15 * kTickFrames);
        const double darkest = *std::min_element(measured, measured + 5);
        const double brightest = *std::max_element(measured, measured + 5);
        for (int p = 0; p < 5; ++p)
            EXPECT_EQ(measured[p] < (darkest + brightest) / 2, ledOn[p])
                << "model " << model << " phase " << p << ": " << measured[p] << " between " << darkest << " and "
                << brightest;
        // Lit, the LED filter takes away much of the square wave's upper harmonics.
        EXPECT_LT(darkest, 0.85 * brightest) << "model " << model << ": " << darkest << " and " << brightest;
        EXPECT_TRUE(errors.empty()) << errors.front();
    }
}

// The steps still owed and the filter's memory belong to the song that left them.
TEST_F(AmigaFilter, SubsongStartClearsTheModelState) {
    pluginSettings.interpolation = kInterpolationA500;
    ASSERT_TRUE(open(write("filter.vts9", module("VTS9"))));
    ASSERT_EQ(renderFrames(2 * kPhaseTicks * kTickFrames), 2 * kPhaseTicks * kTickFrames);
    const auto nonZero = [](const auto& values) {
        return std::any_of(std::begin(values), std::end(values), [](auto v) { return v != 0; });
    };
    const AmigaOutputState& state = songRecord->amigaOutput;
    EXPECT_EQ(state.model, kInterpolationA500);
    EXPECT_TRUE(nonZero(state.stepCarry[0]) && nonZero(state.ledMemory[0]));
    startSubsong(*machine, *songRecord, -1, false);
    EXPECT_EQ(state.model, 0);
    EXPECT_FALSE(nonZero(state.stepLevel));
    for (const auto& carry : state.stepCarry) EXPECT_FALSE(nonZero(carry));
    for (const auto& memory : state.ledMemory) EXPECT_FALSE(nonZero(memory));
}

} // namespace
} // namespace varno::test
