// The plugin through its interface table, as the music player calls it.
#include <dlfcn.h>

#include <cstdio>
#include <memory>

#include "session/song.h"
#include "plugin/plugin_fixture.h"
#include "plugin/settings_store.h"

namespace varno::test {
namespace {

TEST_F(PluginTest, InterfaceTableByPositionAndVersionChecks) {
    const auto* words = reinterpret_cast<void* const*>(plugin);
    EXPECT_EQ(plugin->flags, 8u);
    EXPECT_STREQ(plugin->name, "Varno (rev. 9)");
    ASSERT_NE(plugin->extensions, nullptr);
    EXPECT_STREQ(plugin->extensions, "");
    for (int empty : {9, 17, 19, 20, 22, 23, 24, 25}) EXPECT_EQ(words[empty], nullptr) << "position " << empty;
    for (int entry : {3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15, 16, 18, 21})
        EXPECT_NE(words[entry], nullptr) << "position " << entry;
    EXPECT_EQ(plugin->getGranule(), 0.1);

    EXPECT_EQ(XMPIN_GetInterface(kInterfaceVersion, PortableHost::functionTable), plugin) << "one plugin per process";
    EXPECT_EQ(XMPIN_GetInterface(3, PortableHost::functionTable), nullptr);
    EXPECT_EQ(XMPIN_GetInterface(3, PortableHost::functionTable), nullptr);
    EXPECT_EQ(XMPIN_GetInterface(5, PortableHost::functionTable), nullptr);
    ASSERT_EQ(errors.size(), 1u) << "an old host hears of it once, a newer one not at all";
    EXPECT_EQ(errors[0], "Error:\nIncompatible XMPlay version.");
}

TEST(PluginDirectory, IsTheLibraryFolderOrRefusedWhenTooLong) {
    const std::string long255 = std::string(254, 'd') + "\\";
    const struct {
        std::string path;
        bool accepted;
        std::string directory;
    } cases[] = {
        {"C:\\XMPlay\\plugins\\xmp-varno.dll", true, "C:\\XMPlay\\plugins\\"},
        {"/usr/lib/varno/xmp-varno.so", true, "/usr/lib/varno/"},
        {"xmp-varno.dll", true, ""},
        {long255 + "xmp-varno.dll", true, long255},
        {std::string(255, 'd') + "\\xmp-varno.dll", false, ""},
        {std::string(400, 'd') + "/xmp-varno.so", false, ""},
    };
    for (const auto& c : cases) {
        char directory[256];
        std::memset(directory, 'x', sizeof directory);
        EXPECT_EQ(pluginDirectoryOf(c.path.c_str(), directory), c.accepted) << c.path.size();
        EXPECT_EQ(std::string(directory), c.directory);
    }
}

// None, Sinc, Amiga 500 and Amiga 1200 load as stored; other values play as Sinc.
TEST_F(PluginTest, InterpolationFoldsToItsFourModes) {
    const struct { const char* stored; int32_t loaded; } cases[] = {
        {"0", 0}, {"1", 1}, {"2", 2}, {"3", 3}, {"4", 1}, {"-1", 1}, {"1000", 1},
    };
    for (const auto& c : cases) {
        writeFile("varno.ini", std::string("[VARNO]\ninterpolation=") + c.stored + "\n");
        pluginSettings = PluginSettings{};
        loadSettings();
        EXPECT_EQ(pluginSettings.interpolation, c.loaded) << c.stored;
    }
}

TEST_F(PluginTest, SettingsFoldWhenLoadedAndPersistWhenSaved) {
    writeFile("varno.ini", "[VARNO]\nstereo_separation=150\nsurround=7\nuse_songend=-3\ninterpolation=4\n"
                           "default_playtime=soon\nscan_lengths=0\nseeking=5\n");
    loadSettings();
    EXPECT_EQ(pluginSettings.stereo_separation, 0);
    EXPECT_EQ(pluginSettings.surround, 1);
    EXPECT_EQ(pluginSettings.use_songend, 1);
    EXPECT_EQ(pluginSettings.interpolation, 1);
    EXPECT_EQ(pluginSettings.default_playtime, 0);
    EXPECT_EQ(pluginSettings.scan_lengths, 0);
    EXPECT_EQ(pluginSettings.seeking, 1);

    pluginSettings.stereo_separation = 40;
    pluginSettings.default_playtime = 0;
    saveSettings();
    pluginSettings = PluginSettings{};
    loadSettings();
    EXPECT_EQ(pluginSettings.stereo_separation, 40);
    EXPECT_EQ(pluginSettings.default_playtime, 0) << "no limit is stored as 0";
}

TEST_F(PluginTest, FileInformationForOpenAndOtherFiles) {
    const std::string one = writeModule("one.vts", "VTS1", "Title One");
    const std::string two = writeModule("two.vts", "VTS2");
    const std::string junk = writeFile("junk.bin", std::string(3000, '\x5a'));
    EXPECT_TRUE(withFile(one, [&](HostFile f) { return plugin->checkFile(one.c_str(), f); }));
    EXPECT_FALSE(withFile(junk, [&](HostFile f) { return plugin->checkFile(junk.c_str(), f); }));
    EXPECT_EQ(withFile(junk, [&](HostFile f) { return plugin->getFileInfo(junk.c_str(), f, nullptr, nullptr); }), 0u);

    // Another file, with the scan of lengths off: one subsong assumed, only its
    // file type known, no lengths.
    pluginSettings.scan_lengths = 0;
    auto* untouched = reinterpret_cast<float*>(uintptr_t(1));
    float* lengthsOut = untouched;
    char* tagList = nullptr;
    EXPECT_EQ(withFile(two, [&](HostFile f) { return plugin->getFileInfo(two.c_str(), f, &lengthsOut, &tagList); }),
              0x10001u);
    EXPECT_EQ(lengthsOut, untouched);
    EXPECT_EQ(tags(tagList), (std::vector<std::pair<std::string, std::string>>{{"filetype", "VT2"}}));

    // The open file: its subsongs and what is known of their lengths.
    ASSERT_TRUE(open(one));
    lengthsOut = nullptr;
    EXPECT_EQ(plugin->getFileInfo(one.c_str(), nullptr, &lengthsOut, &tagList), 0x10003u) << "the file is not read";
    ASSERT_NE(lengthsOut, nullptr);
    EXPECT_EQ(std::vector<float>(lengthsOut, lengthsOut + 3), std::vector<float>(3, 0.0f));
    host().tables().memoryFunctions->release(lengthsOut);
    EXPECT_EQ(tags(tagList), (std::vector<std::pair<std::string, std::string>>{{"title", "Title One"}}));

    // Played to its end, the subsong's length is known and reported.
    processAll({4096});
    EXPECT_EQ(plugin->getFileInfo(one.c_str(), nullptr, &lengthsOut, nullptr), 0x10003u);
    EXPECT_NEAR(lengthsOut[0], 1.0f, 0.05f);
    host().tables().memoryFunctions->release(lengthsOut);
    ASSERT_FALSE(lengths.empty());
    EXPECT_NEAR(lengths.back(), 1.0f, 0.05f);

    // Closed, the same path is a file like any other.
    plugin->close();
    EXPECT_EQ(withFile(one, [&](HostFile f) { return plugin->getFileInfo(one.c_str(), f, nullptr, nullptr); }),
              0x10001u);
    EXPECT_EQ(plugin->process(std::vector<float>(64).data(), 64), 0u) << "nothing is open";
}

TEST_F(PluginTest, OddSizedRequestsGiveTheSameSamplesAsLargeOnes) {
    const std::string one = writeModule("one.vts", "VTS1");
    ASSERT_TRUE(open(one));
    const std::vector<float> odd = processAll({1, 3, 997, 4096, 7, 65537});
    float part[16];
    EXPECT_EQ(plugin->process(part, 16), 0u) << "an ended song stays ended";
    plugin->close();
    ASSERT_TRUE(open(one));
    const std::vector<float> large = processAll({300001});
    EXPECT_EQ(odd.size(), large.size());
    EXPECT_TRUE(odd == large);
    EXPECT_NEAR(double(large.size()) / 2 / 48000, 1.0, 0.05) << "subsong 1 lasts one second";
}

TEST_F(PluginTest, PositionCodesSelectSubsongsAndRestart) {
    const std::string one = writeModule("one.vts", "VTS1");
    ASSERT_TRUE(open(one));
    Song& song = *pluginInstance()->song;
    EXPECT_EQ(plugin->getSubSongs(nullptr), 3u);

    EXPECT_EQ(plugin->setPosition(0x80000002), 0.0);
    EXPECT_EQ(song.currentSubsong, 3u) << "counted from the first subsong";
    EXPECT_EQ(plugin->setPosition(0x80000005), 0.0);
    EXPECT_EQ(song.currentSubsong, 3u) << "a subsong that does not exist changes nothing";
    // 25 ticks of 40 ms.
    EXPECT_NEAR(double(processAll({4800}).size()) / 2 / 48000, 1.0, 0.005);

    // Song end obeyed; the loop codes clear it and the song goes on.
    EXPECT_EQ(plugin->setPosition(0xFFFFFFFE), 1.0);
    std::vector<float> more(960);
    EXPECT_EQ(plugin->process(more.data(), 960), 960u);
    EXPECT_EQ(plugin->setPosition(0xFFFFFFFF), 1.0);

    EXPECT_EQ(plugin->setPosition(0xC0000000), 0.0);
    EXPECT_EQ(song.currentSubsong, 1u);
    char text[4096];
    plugin->getGeneralInfo(text);
    EXPECT_EQ(std::string(text).find("Subsongs"), std::string::npos) << "one subsong chosen: no list";
    plugin->setPosition(0x80000000);
    plugin->getGeneralInfo(text);
    EXPECT_NE(std::string(text).find("Subsongs\t3\r"), std::string::npos);

    float total = -1;
    song.subsongSeconds[1] = 60;
    song.subsongSeconds[2] = 90;
    song.subsongSeconds[3] = 30;
    song.totalSeconds = 180;
    EXPECT_EQ(plugin->getSubSongs(&total), 3u);
    EXPECT_EQ(total, 180.0f);
}

TEST_F(PluginTest, InformationTextsAsTheHostShowsThem) {
    const std::string one = writeModule("one.vts", "VTS1", "M\xfcller");
    ASSERT_TRUE(open(one));
    Song& song = *pluginInstance()->song;
    song.subsongSeconds[1] = 185.7f;
    song.subsongSeconds[2] = 0;
    song.subsongSeconds[3] = 61;
    plugin->setPosition(0x80000001);

    char format[64] = {};
    char text[4096];
    plugin->getInfoText(format, nullptr);
    EXPECT_STREQ(format, "Varno Test Interrupt - 4ch");
    plugin->getGeneralInfo(text);
    EXPECT_STREQ(text, "Format\tVARNO/\rPlayer\tVarno Test Interrupt\rCreator\tVarno team\r\tsecond line\r\tthird line\r"
                       "Channels\t4\rSubsongs\t3\rSongs\t1. 3:05\r\t2. (\?\?\?) [playing]\r\t3. 1:01\r");
    EXPECT_EQ(tags(plugin->getTags()), (std::vector<std::pair<std::string, std::string>>{{"title", "M\xc3\xbcller"}}))
        << "Amiga texts reach the host as UTF-8";
    plugin->getMessage(text);
    EXPECT_STREQ(text, "");

    const std::string two = writeModule("two.vts", "VTS2");
    ASSERT_TRUE(open(two));
    EXPECT_EQ(tags(plugin->getTags()),
              (std::vector<std::pair<std::string, std::string>>{{"title", "Info Title"}, {"filetype", "VT2"}}));
}

TEST_F(PluginTest, AFailedOpenLeavesNothingOpen) {
    const std::string one = writeModule("one.vts", "VTS1");
    const std::string junk = writeFile("junk.bin", "not a module");
    const std::string empty = writeFile("empty.bin", "");
    ASSERT_TRUE(open(one));
    EXPECT_FALSE(open(junk));
    EXPECT_FALSE(open(empty));
    EXPECT_EQ(plugin->process(std::vector<float>(64).data(), 64), 0u);
    EXPECT_EQ(plugin->getFileInfo(one.c_str(), nullptr, nullptr, nullptr), 0u)
        << "the module that was open is not any more: its file would have to be read";
    EXPECT_TRUE(open(one)) << "and opens again";
}

TEST(PluginLibrary, ExportsOnlyTheInterfaceEntry) {
    const std::string library = std::string(VARNO_BINARY_DIR) + "/bin/xmp-varno.so";
    std::unique_ptr<FILE, int (*)(FILE*)> nm(popen(("nm -D --defined-only " + library).c_str(), "r"), pclose);
    ASSERT_TRUE(nm);
    std::vector<std::string> symbols;
    char line[512];
    while (std::fgets(line, sizeof line, nm.get())) symbols.emplace_back(line);
    ASSERT_EQ(symbols.size(), 1u) << (symbols.empty() ? "nothing" : symbols[1]);
    EXPECT_NE(symbols[0].find(" T XMPIN_GetInterface"), std::string::npos) << symbols[0];

    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    using Entry = const void* (*)(uint32_t, GetHostFunctions);
    auto entry = reinterpret_cast<Entry>(dlsym(handle, "XMPIN_GetInterface"));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry(5, PortableHost::functionTable), nullptr);
    // A host that hands over no function tables: the plugin refuses, and nothing
    // unwinds into the host's C.
    EXPECT_NO_THROW(EXPECT_EQ(entry(kInterfaceVersion, nullptr), nullptr));
    dlclose(handle);
}

} // namespace
} // namespace varno::test
