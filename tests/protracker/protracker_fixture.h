// A machine with the portable host whose plugin folder is the build's bin/, where
// the default player archive lies; modules are written to a scratch folder and
// opened the way the plugin opens them. Faults shown by the machine are collected.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "amigaos/system.h"
#include "session/render.h"
#include "hardware/custom_chips.h"
#include "hardware/paula.h"
#include "host/portable_host.h"
#include "machine/amiga_machine.h"
#include "session/frame_driver.h"
#include "session/module_session.h"
#include "machine/settings.h"
#include "mod_writer.h"
#include "platform/message_box.h"
#include "players/player_archive.h"
#include "players/slave_player.h"

namespace varno::test {

inline std::string defaultArchiveDirectory() { return std::string(VARNO_BINARY_DIR) + "/bin/"; }

inline std::vector<uint8_t> readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}


// A channel after a tick; `started` says whether its sample was (re)started in it.
struct Seen {
    uint16_t period, volume;
    bool started;
    uint32_t remaining; // words left in the block Paula is playing
};

// Players of an archive (the default one unless named) on a machine of their own.
class PlayerTest : public ::testing::Test {
protected:
    explicit PlayerTest(std::string archiveDirectory = defaultArchiveDirectory())
        : archiveDirectory_(std::move(archiveDirectory)) {}

    void SetUp() override {
        ASSERT_TRUE(std::filesystem::exists(archiveDirectory_ + "xmp-varno.dat"));
        savedSettings = pluginSettings;
        pluginSettings.surround = 0;
        pluginSettings.default_playtime = 0;
        pluginSettings.use_songend = 1;
        setErrorSink([this](const std::string&, const std::string& text) { errors.push_back(text); });
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = std::filesystem::temp_directory_path() /
                 ("varno-pt-" + std::string(info->test_suite_name()) + "-" + info->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        machine = createMachine(&PortableHost::instance().tables(), archiveDirectory_.c_str());
        ASSERT_TRUE(machine);
        kProTracker = catalogueIndex("ProTracker");
        kSoundTracker = catalogueIndex("SoundTracker");
    }

    // The catalogue index of the player of that name, -1 without one: other players
    // of the archive come before or between these two.
    int32_t catalogueIndex(const std::string& name) {
        const PlayerArchive* archive = ensureCatalogue(*machine);
        for (uint32_t i = 1; i < archive->count; ++i) {
            const SlavePlayer* p = archive->player(i);
            if (p && p->playerName && name == p->playerName) return int32_t(i);
        }
        return -1;
    }

    void TearDown() override {
        machine.reset();
        setErrorSink(nullptr);
        pluginSettings = savedSettings;
        std::filesystem::remove_all(folder);
    }

    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) {
        const std::string path = (folder / name).string();
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path;
    }

    // The catalogue index of the player that accepts the bytes, -1 for none; the
    // check sees at most the first 128 KB, and the whole size.
    int32_t identify(const std::vector<uint8_t>& bytes, const std::string& name = "module.mod") {
        const uint32_t present = uint32_t(std::min<size_t>(bytes.size(), 0x20000));
        return identifyModule(*machine, (folder / name).string().c_str(), bytes.data(), present,
                              uint32_t(bytes.size()));
    }

    bool open(const std::vector<uint8_t>& bytes, const std::string& name = "module.mod") {
        const std::string path = write(name, bytes);
        return openModule(*machine, path.c_str(), bytes.data(), uint32_t(bytes.size()));
    }

    bool open(const modgen::Module& module) { return open(modgen::writeModule(module)); }


    PaulaChannel& channel(int n) const { return machine->customChips->paulaChannels[n]; }

    // What one channel looks like after each of the next `ticks` ticks.
    std::vector<Seen> watch(int n, int ticks) {
        std::vector<Seen> seen;
        for (int i = 0; i < ticks; ++i) {
            channel(n).pointer = 0; // a start sets it to the sample's second word
            EXPECT_TRUE(playerTick(*machine));
            const PaulaChannel& c = channel(n);
            seen.push_back({c.period, c.volume, c.pointer != 0 && c.state != kPaulaIdle, c.remaining});
        }
        return seen;
    }

    // Runs ticks without sound until the player signals the song end (or the
    // limit); returns the seconds played.
    double playToSongEnd(double limitSeconds = 1200) {
        while (!machine->songEndSignalled && machine->elapsedSeconds < limitSeconds)
            if (!playerTick(*machine)) break;
        return machine->elapsedSeconds;
    }

    std::string archiveDirectory_;
    // Catalogue indices of the two players in the archive.
    int32_t kProTracker = -1, kSoundTracker = -1;
    PluginSettings savedSettings;
    std::unique_ptr<AmigaMachine> machine;
    std::vector<std::string> errors;
    std::filesystem::path folder;
};

using ProTrackerTest = PlayerTest;

} // namespace varno::test
