// The dialogs' effect on the settings, the mixer and the store, without windows
// (the Windows dialogs themselves are driven under Wine: tests/windows).
#include "plugin/config_actions.h"

#include <cmath>

#include "session/song.h"
#include "plugin_fixture.h"

namespace varno::test {
namespace {

TEST(SeparationLabel, PercentFollowsTheNumber) {
    struct Case {
        int percent;
        const char* label;
    };
    const Case cases[] = {{0, "0%"}, {40, "40%"}, {75, "75%"}, {100, "100%"}};
    for (const Case& c : cases) EXPECT_EQ(separationLabel(c.percent), c.label) << c.percent;
}

TEST(AboutLine, BuildDateWithSingleBlanks) {
    struct Case {
        const char* compilerDate;
        const char* line;
    };
    const Case cases[] = {
        {"Dec  7 2026", "XMPlay Varno plugin (rev. 9) (Dec 7 2026)"},
        {"Jan 31 2027", "XMPlay Varno plugin (rev. 9) (Jan 31 2027)"},
    };
    for (const Case& c : cases) EXPECT_EQ(aboutLine(c.compilerDate), c.line) << c.compilerDate;
}

class ConfigActionsTest : public PluginTest {
protected:
    const Song& song() const { return *pluginInstance()->song; }

    int stored(const char* key) const {
        int value = -12345;
        host().tables().settingsFunctions->getInt("VARNO", key, &value);
        return value;
    }
};

TEST_F(ConfigActionsTest, TrackBarMoveChangesThePanMatrixAtOnce) {
    applySeparation(pluginInstance(), 100);
    const float wide = song().channelPan[0][0] - song().channelPan[0][1];
    applySeparation(pluginInstance(), 40);
    const float narrower = song().channelPan[0][0] - song().channelPan[0][1];
    applySeparation(pluginInstance(), 0);
    EXPECT_EQ(pluginSettings.stereo_separation, 0);
    EXPECT_EQ(song().channelPan[0][0], song().channelPan[0][1]) << "no separation is mono";
    EXPECT_GT(std::fabs(wide), std::fabs(narrower));
    EXPECT_GT(std::fabs(narrower), 0.0f);
}

TEST_F(ConfigActionsTest, SurroundAndInterpolationTakeEffectWithoutSaving) {
    applySurround(pluginInstance(), true);
    EXPECT_EQ(pluginSettings.surround, 1);
    applySurround(nullptr, false); // before the host asked for the interface
    EXPECT_EQ(pluginSettings.surround, 0);
    applyInterpolation(1);
    EXPECT_EQ(pluginSettings.interpolation, 1);
    EXPECT_EQ(stored("interpolation"), -12345) << "nothing is stored before the dialog closes";
}

TEST_F(ConfigActionsTest, ClosingStoresThemAll) {
    struct Case {
        ConfigDialogValues values;
        int playtime, songend, surround, separation, interpolation, scan, seeking;
    };
    const Case cases[] = {
        {{0, true, false, 40, 0, true, false}, 0, 1, 0, 40, 0, 1, 0}, // a play time of 0: no limit
        {{300, false, true, 100, 1, false, true}, 300, 0, 1, 100, 1, 0, 1},
    };
    for (const Case& c : cases) {
        confirmConfig(c.values);
        EXPECT_EQ(pluginSettings.default_playtime, c.playtime);
        EXPECT_EQ(stored("default_playtime"), c.playtime);
        EXPECT_EQ(stored("use_songend"), c.songend);
        EXPECT_EQ(stored("surround"), c.surround);
        EXPECT_EQ(stored("stereo_separation"), c.separation);
        EXPECT_EQ(stored("interpolation"), c.interpolation);
        EXPECT_EQ(stored("scan_lengths"), c.scan);
        EXPECT_EQ(stored("seeking"), c.seeking);
    }
}

} // namespace
} // namespace varno::test
