// A machine with the portable host and the default player archive, for the
// OctaMED player: songs are written to a scratch folder and opened the way the
// plugin opens them; faults shown by the machine are collected.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "hardware/custom_chips.h"
#include "hardware/paula.h"
#include "host/portable_host.h"
#include "machine/amiga_machine.h"
#include "machine/settings.h"
#include "med_writer.h"
#include "platform/message_box.h"
#include "players/player_archive.h"
#include "players/slave_player.h"
#include "session/frame_driver.h"
#include "session/module_session.h"
#include "session/render.h"

namespace varno::test {

inline std::string defaultArchiveDirectory() { return std::string(VARNO_BINARY_DIR) + "/bin/"; }

inline std::vector<uint8_t> readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline std::filesystem::path sharedModules() { return std::filesystem::path(VARNO_SHARED_DIR) / "modules"; }

// A channel after a tick.
struct Seen {
    uint16_t period, volume;
};

class MedTest : public ::testing::Test {
public:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::exists(defaultArchiveDirectory() + "xmp-varno.dat"));
        savedSettings = pluginSettings;
        pluginSettings.surround = 0;
        pluginSettings.default_playtime = 0;
        pluginSettings.use_songend = 1;
        setErrorSink([this](const std::string&, const std::string& text) { errors.push_back(text); });
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = std::filesystem::temp_directory_path() /
                 ("varno-med-" + std::string(info->test_suite_name()) + "-" + info->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        machine = createMachine(&PortableHost::instance().tables(), defaultArchiveDirectory().c_str());
        ASSERT_TRUE(machine);
        // The player's catalogue index, found by its name: other players come and go.
        PlayerArchive* players = ensureCatalogue(*machine);
        for (uint32_t i = 1; i < players->count; ++i)
            if (players->player(i) && players->player(i)->playerName &&
                std::strcmp(players->player(i)->playerName, "OctaMED") == 0)
                octamed = int32_t(i);
        ASSERT_GT(octamed, 0) << "no OctaMED player in the default archive";
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
    int32_t identify(const std::vector<uint8_t>& bytes, const std::string& name = "song.med") {
        const uint32_t present = uint32_t(std::min<size_t>(bytes.size(), 0x20000));
        return identifyModule(*machine, (folder / name).string().c_str(), bytes.data(), present,
                              uint32_t(bytes.size()));
    }

    bool open(const std::vector<uint8_t>& bytes, const std::string& name = "song.med") {
        const std::string path = write(name, bytes);
        return openModule(*machine, path.c_str(), bytes.data(), uint32_t(bytes.size()));
    }

    bool open(const MedSong& song) { return open(writeMed(song)); }

    // Opening ran the song's first tick ahead.
    static constexpr int kTicksRunAtOpen = 1;

    // The channel after each tick of line 1 (ticks 6..11 at six ticks a line).
    std::vector<Seen> watchLineOne(int n) {
        const std::vector<Seen> seen = watch(n, 12 - kTicksRunAtOpen);
        return std::vector<Seen>(seen.begin() + (6 - kTicksRunAtOpen), seen.end());
    }

    PaulaChannel& channel(int n) const { return machine->customChips->paulaChannels[n]; }

    // What one channel looks like after each of the next `ticks` ticks.
    std::vector<Seen> watch(int n, int ticks) {
        std::vector<Seen> seen;
        for (int i = 0; i < ticks; ++i) {
            EXPECT_TRUE(playerTick(*machine));
            seen.push_back({channel(n).period, channel(n).volume});
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

    PluginSettings savedSettings;
    std::unique_ptr<AmigaMachine> machine;
    std::vector<std::string> errors;
    std::filesystem::path folder;
    int32_t octamed = -1;
};

} // namespace varno::test
