// dos.library over the portable host: real files, entries of ZIP archives,
// EaglePlayer's configuration archive next to the plugin, and LoadSeg of
// executables and of files that are none.
#include <gtest/gtest.h>

#include <zip.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "amigaos/dos_fixture.h"
#include "host/portable_host.h"

namespace varno::test {
namespace {

namespace fs = std::filesystem;

std::string bigEndian(std::initializer_list<uint32_t> longs) {
    std::string out;
    for (uint32_t v : longs)
        for (int shift = 24; shift >= 0; shift -= 8) out += char((v >> shift) & 0xFF);
    return out;
}

// One code hunk of two longs: MOVEQ #1,D0 / RTS, then two NOPs.
const std::string kOneHunkExecutable =
    bigEndian({0x3F3, 0, 1, 0, 0, 2, 0x3E9, 2, 0x70014E75, 0x4E714E71, 0x3F2});

class DosHostFiles : public DosMachineTest {
protected:
    void SetUp() override {
        // A folder per test: ctest runs the tests in parallel processes.
        dir = fs::path(VARNO_BINARY_DIR) / "test-dos" / testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir);
        fs::create_directories(dir / "Mods" / "Instr");
        fs::create_directories(dir / "plugin");
        writeFile(dir / "Mods" / "Song.mod", "SONG0123456789");
        writeFile(dir / "Mods" / "Instr" / "Piano.ins", "PIANO");
        writeFile(dir / "Mods" / "player", kOneHunkExecutable);
        writeFile(dir / "Mods" / "garbage", "This is not an executable at all.");
        writeFile(dir / "Mods" / "empty", "");
        makeZip(dir / "Mods" / "pack.zip", {{"samples/one.smp", "ONE!"}, {"prog", kOneHunkExecutable}});
        makeZip(dir / "plugin" / "xmp-varno.env", {{"EP-Test.cfg", "CFG1"}, {"sub/deep.cfg", "DEEP"}});
        pluginDirectory = (dir / "plugin").string() + "/";
        build(&host().tables(), pluginDirectory.c_str());
        filesBefore = host().openFileCount();
    }
    void TearDown() override {
        destroyMachine();
        EXPECT_EQ(host().openFileCount(), 0u) << "the machine closes what players left open";
        host().closeAllFiles();
    }

    static PortableHost& host() { return PortableHost::instance(); }
    static void writeFile(const fs::path& p, const std::string& bytes) {
        std::ofstream(p, std::ios::binary) << bytes;
    }
    static void makeZip(const fs::path& p, const std::vector<std::pair<std::string, std::string>>& entries) {
        int error = 0;
        zip_t* z = zip_open(p.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        ASSERT_NE(z, nullptr);
        for (const auto& [name, bytes] : entries) {
            zip_source_t* src = zip_source_buffer(z, bytes.data(), bytes.size(), 0);
            ASSERT_GE(zip_file_add(z, name.c_str(), src, 0), 0);
        }
        ASSERT_EQ(zip_close(z), 0);
    }

    // Reads the whole rest of the file through dos Read; "" when Read gives nothing.
    std::string readRest(uint32_t handle) {
        const uint32_t buffer = main().allocate(256);
        const uint32_t n = call(kLvoRead, handle, buffer, 256);
        std::string out(n, '\0');
        main().readBytes(buffer, out.data(), n);
        return out;
    }
    std::string modsDirectory() const { return (dir / "Mods").string() + "/"; }

    fs::path dir;
    std::string pluginDirectory;
    size_t filesBefore = 0;
};

TEST_F(DosHostFiles, PlainFileReadSeekClose) {
    const uint32_t song = open(modsDirectory() + "song.MOD");  // any letter case, as on the Amiga
    ASSERT_NE(song, 0u);
    EXPECT_EQ(host().openFileCount(), filesBefore + 1);
    EXPECT_EQ(readRest(song), "SONG0123456789");
    EXPECT_EQ(call(kLvoSeek, song, uint32_t(-4), 1), 14u);
    EXPECT_EQ(readRest(song), "6789");
    EXPECT_EQ(call(kLvoSeek, song, 4, uint32_t(-1)), 14u);
    EXPECT_EQ(call(kLvoSeek, song, 2, 0), 4u);
    EXPECT_EQ(readRest(song), "23456789");
    EXPECT_EQ(call(kLvoSeek, song, 1, 1), kDosFailure) << "past the end";
    EXPECT_EQ(call(kLvoClose, song), 0u);
    EXPECT_EQ(host().openFileCount(), filesBefore);
}

TEST_F(DosHostFiles, EntriesOfArchivesAndTheEnvironmentArchive) {
    const struct {
        std::string name;
        const char* contents;
    } cases[] = {
        {modsDirectory() + "pack.zip|samples/one.smp", "ONE!"},
        {modsDirectory() + "PACK.zip|Samples\\One.smp", "ONE!"},
        {"env:eagleplayer/EP-Test.cfg", "CFG1"},
        {"ENV:EaglePlayer/sub/deep.cfg", "DEEP"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const uint32_t file = open(c.name);
        ASSERT_NE(file, 0u);
        EXPECT_EQ(readRest(file), c.contents);
        EXPECT_EQ(call(kLvoClose, file), 0u);
    }
    EXPECT_EQ(open("env:eagleplayer/missing.cfg"), 0u);
    EXPECT_EQ(open(modsDirectory() + "pack.zip|missing"), 0u);
    EXPECT_EQ(host().openFileCount(), filesBefore);
}

TEST_F(DosHostFiles, CompanionFilesRelativeToTheModuleDirectory) {
    EXPECT_EQ(call(kLvoLock, placeString(modsDirectory()), uint32_t(-2)), 1u);
    EXPECT_EQ(call(kLvoCurrentDir, 1), 0u);
    const uint32_t piano = open("Instr/Piano.ins");
    ASSERT_NE(piano, 0u);
    EXPECT_EQ(readRest(piano), "PIANO");
    call(kLvoClose, piano);
}

TEST_F(DosHostFiles, CloseOpenFilesReturnsEveryHandleToTheHost) {
    open(modsDirectory() + "Song.mod");
    open(modsDirectory() + "pack.zip|samples/one.smp");
    open("env:eagleplayer/EP-Test.cfg");
    EXPECT_EQ(host().openFileCount(), filesBefore + 3);
    dos().closeOpenFiles();
    EXPECT_EQ(host().openFileCount(), filesBefore);
}

TEST_F(DosHostFiles, LoadSegLoadsAnExecutableAsASegmentList) {
    const uint32_t name = placeString(modsDirectory() + "player");
    const uint32_t block = main().cursor;
    const uint32_t segments = call(kLvoLoadSeg, name);
    ASSERT_NE(segments, 0u);
    EXPECT_EQ(segments * 4, block + 8) << "a BCPL pointer to the first block's link field";
    const uint32_t link = segments * 4;
    EXPECT_EQ(main().readLong(link - 8), 0x43534547u) << "CSEG";
    EXPECT_EQ(main().readLong(link - 4), 16u);
    EXPECT_EQ(main().readLong(link), 0u) << "one segment";
    EXPECT_EQ(main().readLong(link + 4), 0x70014E75u);
    EXPECT_EQ(main().readLong(link + 8), 0x4E714E71u);
    EXPECT_EQ(main().cursor, link + 12);
    EXPECT_EQ(host().openFileCount(), filesBefore) << "LoadSeg closes the file it read";
}

TEST_F(DosHostFiles, LoadSegFromAnArchiveAndFromTheCurrentDirectory) {
    EXPECT_NE(call(kLvoLoadSeg, placeString(modsDirectory() + "pack.zip|prog")), 0u);
    call(kLvoLock, placeString(modsDirectory()), uint32_t(-2));
    call(kLvoCurrentDir, 1);
    const uint32_t segments = call(kLvoLoadSeg, placeString("player"));
    ASSERT_NE(segments, 0u);
    EXPECT_EQ(main().readLong(segments * 4 + 4), 0x70014E75u);
    EXPECT_EQ(host().openFileCount(), filesBefore);
}

// The name a player builds in the player-interface path buffer, in low memory.
TEST_F(DosHostFiles, LoadSegOfANameInLowMemory) {
    const uint32_t name = m().system->deliBase->base + 600;
    ASSERT_TRUE(low().writeString(name, (modsDirectory() + "player").c_str()));
    const uint32_t segments = call(kLvoLoadSeg, name);
    ASSERT_NE(segments, 0u);
    EXPECT_EQ(main().readLong(segments * 4 + 4), 0x70014E75u);
}

TEST_F(DosHostFiles, LoadSegOfWhatIsNoExecutableGivesZeroAndTakesNoMemory) {
    for (const char* name : {"garbage", "empty", "missing", "Song.mod", "Instr/", ""}) {
        SCOPED_TRACE(name);
        const uint32_t at = placeString(modsDirectory() + name);
        const uint32_t cursor = main().cursor;
        EXPECT_EQ(call(kLvoLoadSeg, at), 0u);
        EXPECT_EQ(main().cursor, cursor);
    }
    // A truncated copy of a good executable: its code hunk ends early.
    writeFile(dir / "Mods" / "cut", kOneHunkExecutable.substr(0, 36));
    const uint32_t at = placeString(modsDirectory() + "cut");
    const uint32_t cursor = main().cursor;
    EXPECT_EQ(call(kLvoLoadSeg, at), 0u);
    EXPECT_EQ(main().cursor, cursor);
    EXPECT_EQ(host().openFileCount(), filesBefore);
}

} // namespace
} // namespace varno::test
