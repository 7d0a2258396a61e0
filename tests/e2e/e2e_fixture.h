// A machine and the song record it plays, with the portable host whose plugin
// directory holds the test player archive, a scratch folder for module files,
// and the error messages shown.
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
#include "hardware/custom_chips.h"
#include "host/portable_host.h"
#include "machine/amiga_machine.h"
#include "machine/settings.h"
#include "amigaos/deli_base.h"
#include "session/song.h"

namespace varno::test {

inline std::string playersDirectory() { return std::string(VARNO_M68K_DIR) + "/tests/players/"; }

inline std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A test module: the magic, then `title` (padded to 16 bytes), then zeros up to 128
// bytes, where the test players leave their results from byte 16 on.
inline std::vector<uint8_t> module(const char magic[5], const std::string& title = "") {
    std::vector<uint8_t> data(128, 0);
    for (int i = 0; i < 4; ++i) data[i] = uint8_t(magic[i]);
    for (size_t i = 0; i < title.size() && i < 12; ++i) data[4 + i] = uint8_t(title[i]);
    return data;
}

class E2eTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!VARNO_HAVE_M68K) GTEST_SKIP() << "no m68k cross tools: the test players were not built";
        ASSERT_TRUE(std::filesystem::exists(playersDirectory() + "xmp-varno.dat"));
        savedSettings = pluginSettings;
        // Without the surround echo the left output is channel 0 alone, scaled.
        pluginSettings.surround = 0;
        // A folder per test: ctest runs the tests in parallel processes.
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = std::filesystem::temp_directory_path() /
                 ("varno-e2e-" + std::string(info->test_suite_name()) + "-" + info->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        machine = createMachine(&PortableHost::instance().tables(), playersDirectory().c_str());
        ASSERT_TRUE(machine);
        songRecord = std::make_unique<Song>();
        attachSong(*machine, *songRecord);
        machine->faultSink = [this](const std::string& text) { errors.push_back(text); };
    }

    void TearDown() override {
        machine.reset();
        pluginSettings = savedSettings;
        if (!folder.empty()) std::filesystem::remove_all(folder);
    }

    // Writes a file into the scratch folder and returns its path.
    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) {
        const std::string path = (folder / name).string();
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path;
    }

    uint32_t deliBase() const { return machine->system->deliBase->base; }
    PaulaChannel& channel(int n) const { return machine->customChips->paulaChannels[n]; }

    PluginSettings savedSettings;
    std::unique_ptr<Song> songRecord;  // goes after the machine, which points at it
    std::unique_ptr<AmigaMachine> machine;
    std::vector<std::string> errors;
    std::filesystem::path folder;
};

} // namespace varno::test
