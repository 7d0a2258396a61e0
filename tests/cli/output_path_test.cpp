// Output names and what happens to a file already at the output.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli/output_path.h"

namespace varno::cli {
namespace {

namespace fs = std::filesystem;

TEST(OutputPathTest, NamesFollowTheInput) {
    const struct {
        std::string input, directory, extension;
        int subsong;
        std::string expected;
    } cases[] = {
        {"mods/song.mod", "", "wav", 0, "mods/song.mod.wav"},
        {"mods/mod.amiga-song", "", "flac", 0, "mods/mod.amiga-song.flac"},
        {"song.mod", "out", "wav", 2, "out/song.mod-2.wav"},
        {"/a/b/songs.zip|dir/x.mod", "", "wav", 0, "/a/b/x.mod.wav"},
        {"songs.zip|dir\\y.mod", "o", "wav", 3, "o/y.mod-3.wav"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(automaticOutputName(c.input, c.directory, c.extension, c.subsong), c.expected) << c.input;
    EXPECT_EQ(numberedPath("dir/song.wav", 2), "dir/song-2.wav");
    EXPECT_EQ(numberedPath("-", 2), "-");
}

TEST(OutputPathTest, ExistingFilesNeedForceAndLinksAreFollowed) {
    const fs::path dir = fs::path(VARNO_BINARY_DIR) / "test-cli" / "output-path";
    fs::remove_all(dir);
    fs::create_directories(dir / "folder");
    std::ofstream(dir / "old.wav") << "old";
    fs::permissions(dir / "old.wav", fs::perms::owner_read | fs::perms::group_read);
    fs::create_symlink("folder/../old.wav", dir / "link.wav");
    fs::create_symlink("nowhere.wav", dir / "dangling.wav");
    std::string error;

    const auto fresh = resolveOutput((dir / "new.wav").string(), false, error);
    ASSERT_TRUE(fresh);
    EXPECT_EQ(fresh->path, (dir / "new.wav").string());
    EXPECT_FALSE(fresh->keepPermissions);

    EXPECT_FALSE(resolveOutput((dir / "old.wav").string(), false, error));
    EXPECT_NE(error.find("already exists (--force replaces it)"), std::string::npos) << error;
    const auto forced = resolveOutput((dir / "old.wav").string(), true, error);
    ASSERT_TRUE(forced);
    EXPECT_EQ(forced->keepPermissions, fs::perms::owner_read | fs::perms::group_read);

    EXPECT_FALSE(resolveOutput((dir / "link.wav").string(), false, error));
    EXPECT_NE(error.find("--force writes through it"), std::string::npos) << error;
    const auto through = resolveOutput((dir / "link.wav").string(), true, error);
    ASSERT_TRUE(through);
    EXPECT_EQ(through->path, (dir / "old.wav").string());
    const auto dangling = resolveOutput((dir / "dangling.wav").string(), true, error);
    ASSERT_TRUE(dangling);
    EXPECT_EQ(dangling->path, (dir / "nowhere.wav").string());

    EXPECT_FALSE(resolveOutput((dir / "folder").string(), true, error));
    EXPECT_EQ(error, "is a folder");
    const auto device = resolveOutput("/dev/null", false, error);
    ASSERT_TRUE(device);
    EXPECT_TRUE(device->direct);
}

} // namespace
} // namespace varno::cli
