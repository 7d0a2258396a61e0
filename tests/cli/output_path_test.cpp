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
        InputFile input;
        std::string directory, extension;
        int subsong;
        std::string expected, shortName;
    } cases[] = {
        {{"mods/song.mod", ""}, "", "wav", 0, "mods/song.mod.wav", "song.mod"},
        {{"mods/mod.amiga-song", ""}, "", "flac", 0, "mods/mod.amiga-song.flac", "mod.amiga-song"},
        {{"song.mod", ""}, "out", "wav", 2, "out/song.mod-2.wav", "song.mod"},
        {{"/a/b/songs.zip", "dir/x.mod"}, "", "wav", 0, "/a/b/x.mod.wav", "songs.zip|x.mod"},
        {{"songs.zip", "dir\\y.mod"}, "o", "wav", 3, "o/y.mod-3.wav", "songs.zip|y.mod"},
        {{"/a/songs.zip", "z.mod"}, "", "wav", 0, "/a/z.mod.wav", "songs.zip|z.mod"},
        // A file's own name keeps its "|" and its backslashes.
        {{"/a/pipe|name.fc4", ""}, "", "wav", 0, "/a/pipe|name.fc4.wav", "pipe|name.fc4"},
        {{"/a/back\\slash.mod", ""}, "", "wav", 0, "/a/back\\slash.mod.wav", "back\\slash.mod"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(automaticOutputName(c.input, c.directory, c.extension, c.subsong), c.expected) << c.input.file;
        EXPECT_EQ(shortName(c.input), c.shortName) << c.input.file;
    }
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
    const std::string input = (dir / "song.wav").string();
    std::ofstream(input) << "a module named .wav";
    std::string error;

    const auto fresh = resolveOutput((dir / "new.wav").string(), input, false, error);
    ASSERT_TRUE(fresh);
    EXPECT_EQ(fresh->path, (dir / "new.wav").string());
    EXPECT_FALSE(fresh->keepPermissions);

    EXPECT_FALSE(resolveOutput((dir / "old.wav").string(), input, false, error));
    EXPECT_NE(error.find("already exists (--force replaces it)"), std::string::npos) << error;
    const auto forced = resolveOutput((dir / "old.wav").string(), input, true, error);
    ASSERT_TRUE(forced);
    EXPECT_EQ(forced->keepPermissions, fs::perms::owner_read | fs::perms::group_read);

    EXPECT_FALSE(resolveOutput((dir / "link.wav").string(), input, false, error));
    EXPECT_NE(error.find("--force writes through it"), std::string::npos) << error;
    const auto through = resolveOutput((dir / "link.wav").string(), input, true, error);
    ASSERT_TRUE(through);
    EXPECT_EQ(through->path, (dir / "old.wav").string());
    const auto dangling = resolveOutput((dir / "dangling.wav").string(), input, true, error);
    ASSERT_TRUE(dangling);
    EXPECT_EQ(dangling->path, (dir / "nowhere.wav").string());

    EXPECT_FALSE(resolveOutput((dir / "folder").string(), input, true, error));
    EXPECT_EQ(error, "is a folder");
    const auto device = resolveOutput("/dev/null", input, false, error);
    ASSERT_TRUE(device);
    EXPECT_TRUE(device->direct);
}

// The input is never the output, by whatever name it is reached, forced or not.
TEST(OutputPathTest, TheInputIsNeverReplaced) {
    const fs::path dir = fs::path(VARNO_BINARY_DIR) / "test-cli" / "output-is-input";
    fs::remove_all(dir);
    fs::create_directories(dir / "sub");
    const std::string input = (dir / "same.wav").string();
    std::ofstream(input) << "a module named .wav";
    fs::create_symlink("same.wav", dir / "link.wav");
    fs::create_hard_link(input, dir / "hard.wav");
    std::ofstream(dir / "other.wav") << "another file";
    for (const fs::path& output : {dir / "same.wav", dir / "link.wav", dir / "hard.wav", dir / "sub" / ".." / "same.wav"}) {
        std::string error;
        EXPECT_FALSE(resolveOutput(output.string(), input, true, error)) << output;
        EXPECT_EQ(error, "is the input " + input + " itself; it is never replaced") << output;
    }
    std::string error;
    EXPECT_TRUE(resolveOutput((dir / "other.wav").string(), input, true, error)) << error;
}

} // namespace
} // namespace varno::cli
