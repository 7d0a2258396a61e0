// A machine and its song record, served by the portable host, with a plugin folder of its own in
// which tests write xmp-varno.dat from players built with PlayerImage.
#pragma once

#include <gtest/gtest.h>

#include <zip.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "amigaos/hunk_loader.h"
#include "host/portable_host.h"
#include "machine/amiga_machine.h"
#include "machine/cpu_context.h"
#include "session/module_session.h"
#include "players/player_archive.h"
#include "players/player_image.h"
#include "players/slave_player.h"
#include "session/song.h"

namespace varno::test {

using ArchiveEntries = std::vector<std::pair<std::string, std::vector<uint8_t>>>;

class PlayerTest : public testing::Test {
protected:
    void SetUp() override {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        // A folder per test: ctest runs the tests in parallel processes.
        folder = std::filesystem::path(VARNO_BINARY_DIR) / "test-players" / info->test_suite_name() / info->name();
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        pluginDirectory = folder.string() + "/";
        machine_ = createMachine(&PortableHost::instance().tables(), pluginDirectory.c_str());
        if (!machine_) return;
        machine_->faultSink = [this](const std::string& text) { errors.push_back(text); };
        attachSong(*machine_, song_);
    }
    void TearDown() override {
        machine_.reset();
        EXPECT_EQ(PortableHost::instance().openFileCount(), 0u) << "host files left open";
        PortableHost::instance().closeAllFiles();
    }

    AmigaMachine& m() { return *machine_; }
    Song& song() { return song_; }
    Processor& processor() { return machine_->cpu->processor; }
    CpuState& registers() { return machine_->cpu->processor.cpuState; }
    MemoryRegion& main() { return *machine_->mainMemory; }
    MemoryRegion& low() { return *machine_->lowMemory; }

    void writeArchive(const ArchiveEntries& entries) {
        if (entries.empty()) {
            // libzip writes no file for an archive without entries: just the
            // end-of-central-directory record, then.
            const char empty[22] = {'P', 'K', 5, 6};
            std::ofstream(folder / kArchiveName, std::ios::binary).write(empty, sizeof empty);
            return;
        }
        int error = 0;
        zip_t* z = zip_open((folder / kArchiveName).c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        ASSERT_NE(z, nullptr);
        for (const auto& [name, bytes] : entries) {
            zip_source_t* src = zip_source_buffer(z, bytes.data(), bytes.size(), 0);
            ASSERT_GE(zip_file_add(z, name.c_str(), src, 0), 0);
        }
        ASSERT_EQ(zip_close(z), 0);
    }
    void writeArchive(const std::vector<PlayerImage>& players) {
        ArchiveEntries entries;
        for (size_t i = 0; i < players.size(); ++i) entries.push_back({"player" + std::to_string(i + 1), players[i].file()});
        writeArchive(entries);
    }

    // A fresh catalogue of these players (the machine keeps no other state).
    PlayerArchive& installPlayers(const std::vector<PlayerImage>& players) {
        m().players.reset();
        main().cursor = main().resetCursor = main().markCursor = kMainMemoryBase;
        writeArchive(players);
        return *ensureCatalogue(m());
    }

    // Loads an image straight into main memory and builds its record.
    std::unique_ptr<SlavePlayer> parse(const PlayerImage& image, const char* name = "test") {
        const std::vector<uint8_t> file = image.file();
        const uint32_t loaded = loadExecutable(main(), file.data(), file.size());
        EXPECT_NE(loaded, 0u);
        return loaded ? createSlavePlayer(m(), name, loaded) : nullptr;
    }

    std::filesystem::path folder;
    std::string pluginDirectory;
    std::vector<std::string> errors;

private:
    Song song_;  // goes after the machine, which points at it
    std::unique_ptr<AmigaMachine> machine_;
};

// The emulated address of an offset in a player's hunk.
inline uint32_t at(const SlavePlayer& p, uint32_t offset) { return p.entry + offset; }

} // namespace varno::test
