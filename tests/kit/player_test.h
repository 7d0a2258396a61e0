// A machine and the song record it plays, with the portable host whose plugin
// folder holds a player archive (the build's bin/, with the default archive,
// unless another is named): modules are written to a scratch folder and opened
// the way the plugin opens them, ticks run one at a time, and faults shown by the
// machine are collected. The players' tests derive their fixtures from it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "amigaos/system.h"
#include "hardware/custom_chips.h"
#include "hardware/paula.h"
#include "host/portable_host.h"
#include "machine/amiga_machine.h"
#include "machine/settings.h"
#include "players/player_archive.h"
#include "players/slave_player.h"
#include "session/frame_driver.h"
#include "session/module_session.h"
#include "session/render.h"
#include "session/song.h"

namespace varno::test {

inline std::string defaultArchiveDirectory() { return std::string(VARNO_BINARY_DIR) + "/bin/"; }

inline std::filesystem::path sharedModules() { return std::filesystem::path(VARNO_SHARED_DIR) / "modules"; }

inline std::vector<uint8_t> readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class PlayerTest : public ::testing::Test {
protected:
    // moduleName: the file name modules are written under unless a test names one.
    explicit PlayerTest(std::string archiveDirectory = defaultArchiveDirectory(),
                        std::string moduleName = "module.mod")
        : archiveDirectory_(std::move(archiveDirectory)), moduleName_(std::move(moduleName)) {}

    void SetUp() override {
        ASSERT_TRUE(std::filesystem::exists(archiveDirectory_ + "xmp-varno.dat"));
        savedSettings = pluginSettings;
        pluginSettings.surround = 0;
        pluginSettings.default_playtime = 0;
        pluginSettings.use_songend = 1;
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = std::filesystem::temp_directory_path() /
                 ("varno-" + std::string(info->test_suite_name()) + "-" + info->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        machine = createMachine(&PortableHost::instance().tables(), archiveDirectory_.c_str());
        ASSERT_TRUE(machine);
        songRecord = std::make_unique<Song>();
        attachSong(*machine, *songRecord);
        machine->faultSink = [this](const std::string& text) { errors.push_back(text); };
    }

    void TearDown() override {
        machine.reset();
        pluginSettings = savedSettings;
        std::filesystem::remove_all(folder);
    }

    // The catalogue index of the player of that name, -1 without one: players of
    // the archive come and go, so tests find theirs by name.
    int32_t catalogueIndex(const std::string& name) {
        const PlayerArchive* archive = ensureCatalogue(*machine);
        for (uint32_t i = 1; archive && i < archive->count; ++i) {
            const SlavePlayer* p = archive->player(i);
            if (p && p->playerName && name == p->playerName) return int32_t(i);
        }
        return -1;
    }

    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) {
        const std::string path = (folder / name).string();
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path;
    }

    // The catalogue index of the player that accepts the bytes, -1 for none; the
    // check sees at most the first 128 KB, and the whole size.
    int32_t identify(const std::vector<uint8_t>& bytes, const std::string& name = "") {
        const uint32_t present = uint32_t(std::min<size_t>(bytes.size(), 0x20000));
        return identifyModule(*machine, *songRecord, (folder / (name.empty() ? moduleName_ : name)).string().c_str(),
                              bytes.data(), present, uint32_t(bytes.size()));
    }

    bool open(const std::vector<uint8_t>& bytes, const std::string& name = "") {
        const std::string path = write(name.empty() ? moduleName_ : name, bytes);
        return openModule(*machine, *songRecord, path.c_str(), bytes.data(), uint32_t(bytes.size()));
    }

    std::string playerName() const {
        const SlavePlayer* p = currentPlayer(*machine, *songRecord);
        return p && p->playerName ? p->playerName : "";
    }

    PaulaChannel& channel(int n) const { return machine->customChips->paulaChannels[n]; }

    // Runs ticks without sound until the player signals the song end (or the
    // limit); returns the seconds played.
    double playToSongEnd(double limitSeconds = 1200) {
        while (!songRecord->songEndSignalled && songRecord->elapsedSeconds < limitSeconds)
            if (!playerTick(*machine, *songRecord)) break;
        return songRecord->elapsedSeconds;
    }

    std::string archiveDirectory_, moduleName_;
    PluginSettings savedSettings;
    std::unique_ptr<Song> songRecord;  // goes after the machine, which points at it
    std::unique_ptr<AmigaMachine> machine;
    std::vector<std::string> errors;
    std::filesystem::path folder;
};

} // namespace varno::test
