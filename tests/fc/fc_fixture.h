// A machine with the portable host and the default player archive, for the Future
// Composer player: modules are written to a scratch folder and opened the way the
// plugin opens them; faults the machine shows are collected.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
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
#include "platform/message_box.h"
#include "players/slave_player.h"
#include "session/frame_driver.h"
#include "session/module_session.h"

namespace varno::test {

inline std::vector<uint8_t> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline std::filesystem::path sharedModules() { return std::filesystem::path(VARNO_SHARED_DIR) / "modules"; }

class FutureComposerTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string archive = std::string(VARNO_BINARY_DIR) + "/bin/";
        ASSERT_TRUE(std::filesystem::exists(archive + "xmp-varno.dat"));
        savedSettings = pluginSettings;
        pluginSettings.surround = 0;
        pluginSettings.default_playtime = 0;
        pluginSettings.use_songend = 1;
        setErrorSink([this](const std::string&, const std::string& text) { errors.push_back(text); });
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = std::filesystem::temp_directory_path() /
                 ("varno-fc-" + std::string(info->test_suite_name()) + "-" + info->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        machine = createMachine(&PortableHost::instance().tables(), archive.c_str());
        ASSERT_TRUE(machine);
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

    // The catalogue index of the player that takes the bytes, -1 for none.
    int32_t identify(const std::vector<uint8_t>& bytes, const std::string& name = "song.fc") {
        const uint32_t present = uint32_t(std::min<size_t>(bytes.size(), 0x20000));
        return identifyModule(*machine, (folder / name).string().c_str(), bytes.data(), present,
                              uint32_t(bytes.size()));
    }

    bool open(const std::vector<uint8_t>& bytes, const std::string& name = "song.fc") {
        const std::string path = write(name, bytes);
        return openModule(*machine, path.c_str(), bytes.data(), uint32_t(bytes.size()));
    }

    std::string playerName() const {
        const SlavePlayer* p = machine->currentPlayer();
        return p && p->playerName ? p->playerName : "";
    }

    PaulaChannel& channel(int n) const { return machine->customChips->paulaChannels[n]; }

    // Period and volume of a channel after each of the next `ticks` ticks.
    std::vector<std::pair<uint16_t, uint16_t>> watch(int n, int ticks) {
        std::vector<std::pair<uint16_t, uint16_t>> seen;
        for (int i = 0; i < ticks; ++i) {
            EXPECT_TRUE(playerTick(*machine));
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

    double playToSongEnd(double limitSeconds = 1200) {
        while (!machine->songEndSignalled && machine->elapsedSeconds < limitSeconds)
            if (!playerTick(*machine)) break;
        return machine->elapsedSeconds;
    }

    PluginSettings savedSettings;
    std::unique_ptr<AmigaMachine> machine;
    std::vector<std::string> errors;
    std::filesystem::path folder;
};

} // namespace varno::test
