// The portable host's files, archive entries, settings and length reports.
#include <gtest/gtest.h>

#include <zip.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/portable_host.h"

namespace varno {
namespace {

namespace fs = std::filesystem;

class PortableHostTest : public testing::Test {
protected:
    void SetUp() override {
        // A folder per test: ctest runs the tests of this fixture in parallel processes.
        dir = fs::path(VARNO_BINARY_DIR) / "test-host" / testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir);
        fs::create_directories(dir / "Mods");
        writeFile(dir / "Mods" / "Song.MOD", "0123456789");
        writeFile(dir / "notzip.dat", "plain text, not an archive");
        makeZip(dir / "players.dat", {{"one", "first"}, {"sub/two.bin", "second entry"}, {"empty", ""}});
    }
    void TearDown() override { host().closeAllFiles(); }

    static PortableHost& host() { return PortableHost::instance(); }
    static const HostFileFunctions& files() { return *host().tables().fileFunctions; }

    static void writeFile(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }
    static void makeZip(const fs::path& p, const std::vector<std::pair<std::string, std::string>>& entries) {
        int error = 0;
        zip_t* z = zip_open(p.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        ASSERT_NE(z, nullptr);
        for (const auto& [name, text] : entries) {
            zip_source_t* src = zip_source_buffer(z, text.data(), text.size(), 0);
            ASSERT_GE(zip_file_add(z, name.c_str(), src, 0), 0);
        }
        ASSERT_EQ(zip_close(z), 0);
    }
    std::string readAll(HostFile f) {
        std::string out(files().size(f), '\0');
        EXPECT_EQ(files().read(f, out.data(), uint32_t(out.size())), out.size());
        return out;
    }

    fs::path dir;
};

TEST_F(PortableHostTest, PlainFilesReadSeekAndTell) {
    // Windows separators and another letter case still find the file.
    std::string path = (dir / "mods").string() + "\\song.mod";
    HostFile f = files().open(path.c_str());
    ASSERT_NE(f, nullptr);
    EXPECT_LE(reinterpret_cast<uintptr_t>(f), 0xFFFFFFFFu) << "handles travel in 68000 registers";
    EXPECT_EQ(files().size(f), 10u);
    char buf[8] = {};
    EXPECT_EQ(files().read(f, buf, 4), 4u);
    EXPECT_EQ(std::string(buf, 4), "0123");
    EXPECT_EQ(files().tell(f), 4u);
    EXPECT_EQ(files().read(f, buf, 8), 6u) << "a read past the end returns what is there";
    EXPECT_EQ(files().read(f, buf, 8), 0u);
    EXPECT_TRUE(files().seek(f, 8));
    EXPECT_EQ(files().read(f, buf, 8), 2u);
    EXPECT_FALSE(files().seek(f, 11)) << "no seeking past the end";
    EXPECT_EQ(host().openFileCount(), 1u);
    files().close(f);
    EXPECT_EQ(host().openFileCount(), 0u);
}

TEST_F(PortableHostTest, ArchiveEntriesOpenByBarPath) {
    std::string archive = (dir / "players.dat").string();
    const std::pair<std::string, std::string> rows[] = {
        {archive + "|one", "first"},
        {archive + "|sub/two.bin", "second entry"},
        {archive + "|SUB\\TWO.BIN", "second entry"},  // entry names ignore case and separators
        {archive + "|empty", ""},
    };
    for (const auto& [path, text] : rows) {
        HostFile f = files().open(path.c_str());
        ASSERT_NE(f, nullptr) << path;
        EXPECT_EQ(readAll(f), text) << path;
        files().close(f);
    }
    // A plain file whose name holds a "|" is that file, not an entry.
    writeFile(dir / "players.dat|one", "a file of its own");
    HostFile f = files().open((archive + "|one").c_str());
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(readAll(f), "a file of its own");
    files().close(f);
}

// Names as Linux keeps them: a backslash is a character of a name unless no such
// name exists (then it separates, as in the paths players build), and an
// archive's own name may hold a "|".
TEST_F(PortableHostTest, NamesWithBackslashesAndBarsOpen) {
    fs::create_directories(dir / "back\\slash");
    writeFile(dir / "back\\slash" / "in.mod", "inside");
    writeFile(dir / "a\\b.mod", "backslashed");
    makeZip(dir / "my|songs.zip", {{"x.mod", "entry x"}, {"d|e.mod", "entry with a bar"}});
    const std::string d = dir.string();
    const std::pair<std::string, std::string> rows[] = {
        {d + "/a\\b.mod", "backslashed"},
        {d + "/back\\slash/in.mod", "inside"},
        {d + "\\back\\slash\\IN.MOD", "inside"},  // as a player builds a companion's path
        {d + "/Mods\\song.mod", "0123456789"},
        {d + "/my|songs.zip|x.mod", "entry x"},
        {d + "/my|songs.zip|d|e.mod", "entry with a bar"},
    };
    for (const auto& [path, text] : rows) {
        HostFile f = files().open(path.c_str());
        ASSERT_NE(f, nullptr) << path;
        EXPECT_EQ(readAll(f), text) << path;
        files().close(f);
    }
    const std::optional<ArchivePath> entry = splitArchivePath(d + "/my|songs.zip|d|e.mod");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->archive, d + "/my|songs.zip");
    EXPECT_EQ(entry->entry, "d|e.mod");
    EXPECT_FALSE(splitArchivePath(d + "/my|songs.zip"));
    EXPECT_FALSE(splitArchivePath(d + "/none.zip|x.mod"));
    EXPECT_EQ(files().open((d + "/a\\c.mod").c_str()), nullptr);
}

TEST_F(PortableHostTest, ListsAndOpensEntriesOfAnOpenArchive) {
    HostFile archive = files().open((dir / "players.dat").c_str());
    ASSERT_NE(archive, nullptr);
    const char* list = files().listEntries(archive);
    ASSERT_NE(list, nullptr);
    std::vector<std::string> names;
    for (const char* p = list; *p; p += std::strlen(p) + 1) names.emplace_back(p);
    EXPECT_EQ(names, (std::vector<std::string>{"one", "sub/two.bin", "empty"}));
    HostFile entry = files().openEntry(archive, "sub/two.bin", 0);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(readAll(entry), "second entry");
    EXPECT_EQ(files().openEntry(archive, "missing", 0), nullptr);
}

TEST_F(PortableHostTest, WhatCannotBeOpenedGivesNoHandle) {
    std::string archive = (dir / "players.dat").string();
    const std::string paths[] = {
        (dir / "nothing.mod").string(),
        archive + "|nothing",
        (dir / "notzip.dat").string() + "|one",
        "http://example.invalid/song.mod",
        "ftp://example.invalid/song.mod",
        dir.string(),  // a folder is not a file
        "",
    };
    for (const auto& path : paths) EXPECT_EQ(files().open(path.c_str()), nullptr) << path;
    // Files are read whole: past 64 MB (far past anything the Amiga holds) not at all.
    const fs::path huge = dir / "huge.mod";
    std::ofstream(huge).put('x');
    fs::resize_file(huge, (uintmax_t(64) << 20) + 1);  // sparse: nothing is written
    EXPECT_EQ(files().open(huge.c_str()), nullptr);
    HostFile plain = files().open((dir / "notzip.dat").c_str());
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(files().listEntries(plain), nullptr);
    EXPECT_EQ(files().size(nullptr), 0u);
    EXPECT_EQ(files().read(reinterpret_cast<HostFile>(uintptr_t(999)), nullptr, 4), 0u);
    EXPECT_EQ(host().openFileCount(), 1u);
}

TEST_F(PortableHostTest, SettingsKeepValuesAndLeaveMissingKeysAlone) {
    const HostSettingsFunctions& settings = *host().tables().settingsFunctions;
    host().setSettingsFile((dir / "config" / "varno" / "varno.ini").string());
    int value = 75;
    EXPECT_FALSE(settings.getInt("VARNO", "stereo_separation", &value));
    EXPECT_EQ(value, 75);
    int stored = 40;
    EXPECT_TRUE(settings.setInt("VARNO", "stereo_separation", &stored));
    EXPECT_TRUE(settings.getInt("VARNO", "stereo_separation", &value));
    EXPECT_EQ(value, 40);

    // A file that cannot be written: the write fails and is counted for the command line.
    writeFile(dir / "blocker", "a file where a folder should be");
    host().setSettingsFile((dir / "blocker" / "varno.ini").string());
    host().settingsWriteFailures = 0;
    EXPECT_FALSE(settings.setInt("VARNO", "stereo_separation", &stored));
    EXPECT_EQ(host().settingsWriteFailures, 1);
}

TEST_F(PortableHostTest, SettingsWritesKeepTheRestOfTheFile) {
    const fs::path ini = dir / "varno.ini";
    writeFile(ini, "; mine\n[Other]\nsurround=9\n\n[varno]\nSurround = 1\nextra=keep\n\n[Last]\nx=1\n");
    host().setSettingsFile(ini.string());
    const HostSettingsFunctions& settings = *host().tables().settingsFunctions;
    const int off = 0, playtime = 300;
    ASSERT_TRUE(settings.setInt("VARNO", "surround", &off));
    ASSERT_TRUE(settings.setInt("VARNO", "default_playtime", &playtime));
    std::ifstream in(ini);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "; mine\n[Other]\nsurround=9\n\n[varno]\nsurround=0\nextra=keep\ndefault_playtime=300\n\n"
                    "[Last]\nx=1\n");
    EXPECT_FALSE(fs::exists(ini.string() + ".new")) << "no temporary file stays";
    for (const auto& entry : fs::directory_iterator(dir)) EXPECT_EQ(entry.path().string().find(".new"), std::string::npos);
}

TEST_F(PortableHostTest, SettingsReadNonNumbersAsZeroAndOverridesWin) {
    writeFile(dir / "varno.ini", "[VARNO]\ndefault_playtime=soon\nsurround=1\n");
    host().setSettingsFile((dir / "varno.ini").string());
    const HostSettingsFunctions& settings = *host().tables().settingsFunctions;
    int value = 180;
    EXPECT_TRUE(settings.getInt("VARNO", "default_playtime", &value));
    EXPECT_EQ(value, 0);
    host().settingOverrides["VARNO/surround"] = 0;
    EXPECT_TRUE(settings.getInt("VARNO", "surround", &value));
    host().settingOverrides.clear();
    EXPECT_EQ(value, 0);
}

TEST_F(PortableHostTest, TextsBecomeUtf8AndUrlsDoNotOpen) {
    char* text = host().tables().textFunctions->convert("M\xfcller \xa9 1992", -1);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "M\xc3\xbcller \xc2\xa9 1992");
    host().tables().memoryFunctions->release(text);
    for (const char* url : {"http://example.org/a.mod", "FTP://host/b.mod", "https://x/y|entry"})
        EXPECT_EQ(files().open(url), nullptr) << url;
}

TEST_F(PortableHostTest, RedirectedPathsOpenTheirTarget) {
    host().redirect("/nowhere/xmp-varno.dat", (dir / "players.dat").string());
    HostFile archive = files().open("/nowhere/xmp-varno.dat");
    ASSERT_NE(archive, nullptr);
    EXPECT_NE(files().listEntries(archive), nullptr);
}

TEST_F(PortableHostTest, LengthReportsReachTheListener) {
    float reported = -1;
    host().onLength = [&](float s) { reported = s; };
    host().tables().inputFunctions->setLength(12.5f, 0);
    host().onLength = nullptr;
    EXPECT_EQ(reported, 12.5f);
}

} // namespace
} // namespace varno
