// Files and players that try to break the plugin, through the interface table:
// each entry answers its failure value or the song ends, a message is shown at
// most once, nothing stays open, and the next module plays normally.
#include <filesystem>

#include "machine/amiga_machine.h"
#include "players/player_archive.h"
#include "players/slave_player.h"
#include "plugin/plugin_fixture.h"

namespace varno::test {
namespace {

class HostileFiles : public PluginTest {
protected:
    // A player whose routine hung stays shut out for the plugin's life, on the
    // playing machine and on the one that measures files before play; the plugin
    // lives as long as the test process, the tests each start afresh.
    void TearDown() override {
        PluginTest::TearDown();
        for (const AmigaMachine* m : {pluginInstance()->machine, pluginInstance()->scanner.machine.get()})
            for (uint32_t i = 1; m && m->players && i < m->players->count; ++i)
                if (SlavePlayer* p = m->players->player(i)) p->checkHung = p->checkFaultShown = p->hung = false;
    }

    bool check(const std::string& path) {
        return withFile(path, [&](HostFile f) { return plugin->checkFile(path.c_str(), f); }) != 0;
    }
    uint32_t info(const std::string& path) {
        return withFile(path, [&](HostFile f) { return plugin->getFileInfo(path.c_str(), f, nullptr, nullptr); });
    }
    // Values pulled before the song ended, up to the given number of stereo frames.
    size_t play(size_t frames) { return processAll({960}, 2 * frames).size() / 2; }

    // A module of a test player whose fifth byte tells it what to do.
    std::string hangModule(const std::string& name, char routine) {
        std::string bytes(128, '\0');
        bytes.replace(0, 5, std::string("VTBH") + routine);
        return writeFile(name, bytes);
    }

    // The next module after any of these: recognised, opened, plays to the end.
    void nextModulePlays() {
        const std::string path = writeModule("next.vts1", "VTS1", "Next");
        EXPECT_TRUE(check(path));
        ASSERT_TRUE(open(path));
        EXPECT_EQ(play(4800), 4800u);
        plugin->close();
        EXPECT_EQ(host().openFileCount(), 0u);
    }

    static bool says(const std::string& message, const std::string& part) {
        return message.find(part) != std::string::npos;
    }
};

TEST_F(HostileFiles, EmptyAndTinyFilesAreRefused) {
    for (const std::string& bytes : {std::string(), std::string("V"), std::string("VTS"), std::string(1, '\0')}) {
        const std::string path = writeFile("tiny.mod", bytes);
        EXPECT_FALSE(check(path)) << bytes.size();
        EXPECT_EQ(info(path), 0u) << bytes.size();
        EXPECT_FALSE(open(path)) << bytes.size();
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
    nextModulePlays();
}

// Such a file cannot be held by emulated memory: open refuses it without reading it.
TEST_F(HostileFiles, FilesLargerThanEmulatedMemoryDoNotOpen) {
    for (const uintmax_t size : {uintmax_t(kMainMemorySize) + 1, uintmax_t(64) << 20}) {
        const std::string path = writeModule("huge.vts1", "VTS1", "Huge");
        std::filesystem::resize_file(path, size);  // sparse: nothing is written
        EXPECT_FALSE(open(path)) << size;
        EXPECT_EQ(host().openFileCount(), 0u);
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
    nextModulePlays();
}

// A check that never returns is cut off at its bound once, said once, and not asked
// again; the other players' checks go on.
TEST_F(HostileFiles, CheckThatNeverReturns) {
    const std::string path = hangModule("check.vtbh", 'C');
    EXPECT_FALSE(check(path));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(says(errors[0], "Emulated CPU did not return in time.")) << errors[0];
    EXPECT_FALSE(check(path));
    EXPECT_EQ(info(path), 0u);
    EXPECT_FALSE(open(path));
    EXPECT_EQ(errors.size(), 1u) << errors.back();
    nextModulePlays();
    EXPECT_EQ(errors.size(), 1u) << errors.back();
}

// Set-up and stop routines that never return: the open fails or the song ends,
// one message, the same player plays the next module of its own.
TEST_F(HostileFiles, RoutinesThatNeverReturn) {
    const struct {
        char routine;
        const char* name;
        bool opens;
        bool plays;
    } cases[] = {
        {'I', "Varno Test Hang/InitPlayer", false, false},
        {'S', "Varno Test Hang/InitSound", true, false},
        {'E', "Varno Test Hang/EndSound", true, true},
    };
    for (const auto& c : cases) {
        errors.clear();
        const std::string path = hangModule("hang.vtbh", c.routine);
        EXPECT_TRUE(check(path)) << c.routine;
        EXPECT_EQ(open(path), c.opens) << c.routine;
        if (c.opens) {
            EXPECT_EQ(play(4800) == 4800, c.plays) << c.routine;
        }
        plugin->close();
        ASSERT_EQ(errors.size(), 1u) << c.routine;
        EXPECT_TRUE(says(errors[0], "Emulated CPU did not return in time.")) << errors[0];
        EXPECT_TRUE(says(errors[0], c.name)) << errors[0];
        // The same player, a module that does not make it hang.
        ASSERT_TRUE(open(hangModule("fine.vtbh", 'P'))) << c.routine;
        EXPECT_EQ(play(4800), 4800u) << c.routine;
        plugin->close();
        nextModulePlays();
        EXPECT_EQ(errors.size(), 1u) << c.routine << ": " << errors.back();
    }
}

// The wrecker clears the exception vectors, exec's pointer and jump table, the
// players before it and its own check; the next module starts from the catalogue
// as it loaded.
TEST_F(HostileFiles, PlayerThatOverwritesTheSystemAndOtherPlayers) {
    const std::string wreck = writeModule("wreck.vtbw", "VTBW");
    ASSERT_TRUE(open(wreck));
    EXPECT_EQ(play(4800), 4800u);
    plugin->close();
    EXPECT_TRUE(errors.empty()) << errors.front();
    nextModulePlays();
    const struct {
        const char* magic;
        const char* name;
    } others[] = {{"VTS2", "two.vts2"}, {"VTS3", "three.vts3"}, {"VTS4", "four.vts4"}};
    for (const auto& other : others) {
        const std::string path = writeModule(other.name, other.magic);
        EXPECT_TRUE(check(path)) << other.magic;
        ASSERT_TRUE(open(path)) << other.magic;
        EXPECT_GT(play(4800), 0u) << other.magic;
        plugin->close();
    }
    // The wrecker itself again: its check was restored as well.
    ASSERT_TRUE(open(wreck));
    plugin->close();
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// While a player holds all the memory it can get, files still check as they
// should, up to the 128 KB the check places, and the player plays on.
TEST_F(HostileFiles, FilesCheckWhileAPlayerHoldsAllMemory) {
    ASSERT_TRUE(open(writeModule("hog.vtbm", "VTBM")));
    AmigaMachine& m = *pluginInstance()->machine;
    const uint32_t cursor = m.mainMemory->cursor;
    EXPECT_GE(cursor, kMainMemoryBase + kMainMemorySize - kCheckDataReserve - 2) << "it did take all it could";
    std::string big(0x20000, '\0');
    big.replace(0, 4, "VTS1");
    std::string bigger(0x100000, '\0');
    bigger.replace(0, 4, "VTS1");
    std::string easo(0x20000, '\0');
    easo.replace(0, 4, "EASO");
    const struct {
        std::string name, bytes;
        bool playable;
    } files[] = {
        {"one.vts1", std::string("VTS1") + std::string(124, '\0'), true},
        {"big.vts1", big, true},
        {"bigger.vts1", bigger, true},
        {"big.easo", easo, true},
        {"two.vts2", std::string("VTS2") + std::string(124, '\0'), true},
        {"none.mod", std::string(0x20000, 'x'), false},
    };
    for (int round = 0; round < 3; ++round) {
        for (const auto& f : files) {
            const std::string path = writeFile(f.name, f.bytes);
            EXPECT_EQ(check(path), f.playable) << f.name << " round " << round;
            EXPECT_EQ(info(path) != 0, f.playable) << f.name << " round " << round;
        }
        EXPECT_EQ(play(960), 960u) << "the player plays on";
    }
    EXPECT_EQ(m.mainMemory->cursor, cursor) << "the checks leave the player's memory as it was";
    plugin->close();
    EXPECT_TRUE(errors.empty()) << errors.front();
    nextModulePlays();
}

} // namespace
} // namespace varno::test
