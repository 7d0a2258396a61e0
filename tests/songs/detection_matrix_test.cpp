// Who takes which file: every shared file is asked of the whole archive, where it
// must land on its row's player or on none, and then of each player alone, where a
// check that would take another format's file shows even while the catalogue's
// order hides it. Overlaps that order settles are listed with the reason.
#include "kit/player_test.h"
#include "songs/shared_songs.h"

namespace varno::test {
namespace {

using DetectionMatrix = PlayerTest;

// A file another player's check also takes, and why the catalogue's order still
// gives it to the right one. None yet: every check of ours refuses the others' files.
struct Overlap {
    const char* file;
    const char* alsoTakenBy;
    const char* settledBy;
};
const std::vector<Overlap> kOverlaps = {};

bool overlapListed(const std::string& file, const std::string& player) {
    for (const Overlap& o : kOverlaps)
        if (file == o.file && player == o.alsoTakenBy) return true;
    return false;
}

// The hunk file the archive entry was packed from.
std::filesystem::path playerFile(const std::string& entry) {
    for (const auto& file : std::filesystem::recursive_directory_iterator(std::string(VARNO_M68K_DIR) + "/players"))
        if (file.is_regular_file() && file.path().filename() == entry) return file.path();
    return {};
}

std::string nameOf(const PlayerArchive& archive, int32_t index) {
    const SlavePlayer* p = index > 0 ? archive.player(uint32_t(index)) : nullptr;
    return p && p->playerName ? p->playerName : "";
}

TEST_F(DetectionMatrix, EveryListedFileGoesToItsRowsPlayer) {
    if (!std::filesystem::exists(sharedSongRoot())) GTEST_SKIP() << "no shared modules at " << sharedSongRoot();
    const PlayerArchive& archive = *ensureCatalogue(*machine);
    for (const SharedSong& song : sharedSongTable()) {
        const auto path = sharedSongRoot() / song.file;
        ASSERT_TRUE(std::filesystem::exists(path)) << song.file << " is in the table but not in " << sharedSongRoot();
        const std::vector<uint8_t> bytes = readBytes(path);
        EXPECT_EQ(nameOf(archive, identify(bytes, path.filename().string())), song.player) << song.file;
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

// Files added to the shared folders since the table was written: until they get a
// row, asking about them must only never fault.
TEST_F(DetectionMatrix, FilesTheTableDoesNotListYetAreAskedWithoutFault) {
    const std::vector<std::string> files = unlistedSharedFiles();
    for (const std::string& file : files) {
        const auto path = sharedSongRoot() / file;
        const int32_t index = identify(readBytes(path), path.filename().string());
        RecordProperty("unlisted", file + " -> " + (index > 0 ? nameOf(*ensureCatalogue(*machine), index) : "-"));
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(DetectionMatrix, EachPlayerAloneTakesOnlyItsOwnFiles) {
    if (!std::filesystem::exists(sharedSongRoot())) GTEST_SKIP() << "no shared modules at " << sharedSongRoot();
    const PlayerArchive& archive = *ensureCatalogue(*machine);
    std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
    for (const SharedSong& song : sharedSongTable()) files.emplace_back(song.file, readBytes(sharedSongRoot() / song.file));

    ASSERT_GT(archive.count, 1u);
    for (uint32_t i = 1; i < archive.count; ++i) {
        const std::string name = nameOf(archive, int32_t(i)), entry = archive.player(i)->fileName;
        SCOPED_TRACE(name);
        const std::filesystem::path hunk = playerFile(entry);
        ASSERT_FALSE(hunk.empty()) << "no hunk file for the archive entry " << entry;
        const std::vector<uint8_t> code = readBytes(hunk);

        std::unique_ptr<AmigaMachine> alone = createMachine(&PortableHost::instance().tables(), "");
        Song song;
        attachSong(*alone, song);
        alone->faultSink = [this](const std::string& text) { errors.push_back(text); };
        const PlayerBytes bytes{entry.c_str(), code.data(), uint32_t(code.size())};
        ASSERT_EQ(createPlayerCatalogue(*alone, &bytes, 1).count, 2u);

        for (size_t f = 0; f < files.size(); ++f) {
            const SharedSong& row = sharedSongTable()[f];
            const std::vector<uint8_t>& data = files[f].second;
            const std::string path = (folder / std::filesystem::path(row.file).filename()).string();
            const uint32_t present = uint32_t(std::min<size_t>(data.size(), 0x20000));
            const bool accepted =
                identifyModule(*alone, song, path.c_str(), data.data(), present, uint32_t(data.size())) == 1;
            const bool expected = row.player == name || overlapListed(row.file, name);
            EXPECT_EQ(accepted, expected) << row.file << (accepted ? " taken" : " refused");
        }
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

} // namespace
} // namespace varno::test
