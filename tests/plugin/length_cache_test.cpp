// The length cache: on its own (its file kept, damaged files, its bound, two
// processes), and in the plugin, whose second look at a file is answered from it.
#include <functional>

#include "machine/amiga_machine.h"
#include "session/song.h"
#include "plugin/known_lengths.h"
#include "plugin/length_scan.h"
#include "plugin/plugin_extras.h"
#include "plugin/command_line_fixture.h"

namespace varno::test {
namespace {

namespace fs = std::filesystem;

LengthCacheKey keyOf(uint8_t n) {
    LengthCacheKey key;
    key.content[0] = n;
    key.context[15] = uint8_t(~n);
    return key;
}

KnownSong songOf(float seconds, const std::string& notes = "") {
    return {{seconds, seconds + 1}, std::string("title\0T\0", 8), notes};
}

std::string fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class LengthCacheFile : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::path(VARNO_BINARY_DIR) / "test-length-cache" /
                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(folder);
    }

    // Keys 1 to n stored (in that order of use) and saved.
    void fill(const fs::path& where, int n, const std::string& notes = "") {
        LengthCache cache(where.string());
        for (int k = 1; k <= n; ++k) cache.store(keyOf(uint8_t(k)), songOf(float(k), notes));
    }

    bool has(int k, float* seconds = nullptr) {
        LengthCache cache(folder.string());
        KnownSong song;
        const bool found = cache.find(keyOf(uint8_t(k)), song);
        if (found && seconds) *seconds = song.seconds[0];
        return found;
    }

    fs::path folder;
};

TEST_F(LengthCacheFile, EntriesOutliveTheProcessAndNotesAreNotLostToAThinnerEntry) {
    {
        LengthCache cache(folder.string());
        cache.store(keyOf(1), songOf(5, "texts"));
        cache.store(keyOf(1), songOf(5));
        cache.store(keyOf(2), songOf(7));
    }
    LengthCache cache(folder.string());
    KnownSong song;
    ASSERT_TRUE(cache.find(keyOf(1), song));
    EXPECT_EQ(song.seconds, (std::vector<float>{5, 6}));
    EXPECT_EQ(song.tags, std::string("title\0T\0", 8));
    EXPECT_EQ(song.notes, "texts");
    EXPECT_TRUE(cache.find(keyOf(2), song));
    EXPECT_FALSE(cache.find(keyOf(3), song));
    LengthCacheKey otherContext = keyOf(2);
    otherContext.context[0] ^= 1;
    EXPECT_FALSE(cache.find(otherContext, song));
}

TEST_F(LengthCacheFile, DamagedFilesAreReadAsFarAsTheyAreSoundAndWrittenAnew) {
    const fs::path clean = folder / "clean";
    fill(clean, 3);
    const std::string good = fileBytes(clean / LengthCache::kFileName);
    const size_t entryBytes = (good.size() - 12) / 3;
    const struct {
        const char* what;
        std::function<std::string(std::string)> damage;
        std::vector<int> kept;
    } cases[] = {
        {"empty", [](std::string) { return std::string(); }, {}},
        {"not a cache", [](std::string s) { return "<html>" + s; }, {}},
        {"other version", [](std::string s) { return s[8] = 99, s; }, {}},
        {"cut in the last entry", [](std::string s) { return s.substr(0, s.size() - 5); }, {1, 2}},
        {"cut in the first entry's size", [](std::string s) { return s.substr(0, 14); }, {}},
        {"a byte of the second entry changed", [&](std::string s) { return s[12 + entryBytes + 30] ^= 0x40, s; },
         {1, 3}},
        {"a size past the end", [&](std::string s) { return s[12 + entryBytes + 3] = '\x7f', s; }, {1}},
        {"bytes after the last entry", [](std::string s) { return s + "xyz"; }, {1, 2, 3}},
    };
    for (const auto& c : cases) {
        fs::remove_all(folder / "damaged");
        fs::create_directories(folder / "damaged");
        const fs::path file = folder / "damaged" / LengthCache::kFileName;
        std::ofstream(file, std::ios::binary) << c.damage(good);
        {
            LengthCache cache((folder / "damaged").string());
            for (int k = 1; k <= 3; ++k) {
                KnownSong song;
                const bool kept = std::count(c.kept.begin(), c.kept.end(), k) > 0;
                EXPECT_EQ(cache.find(keyOf(uint8_t(k)), song), kept) << c.what << ", key " << k;
                if (kept) {
                    EXPECT_EQ(song.seconds, (std::vector<float>{float(k), float(k + 1)})) << c.what;
                }
            }
        }
        // Written anew with what was sound, as a clean cache writes it.
        EXPECT_EQ(fileBytes(file).size(), 12 + c.kept.size() * entryBytes) << c.what;
        LengthCache again((folder / "damaged").string());
        KnownSong song;
        for (const int k : c.kept) EXPECT_TRUE(again.find(keyOf(uint8_t(k)), song)) << c.what << ", key " << k;
    }
}

TEST_F(LengthCacheFile, TheFileKeepsToItsBoundByDroppingWhatWasUsedLeast) {
    const std::string notes(20000, 'n');
    const int stored = int(LengthCache::kMaxFileBytes / notes.size()) + 20;
    {
        LengthCache cache(folder.string());
        for (int k = 1; k <= stored; ++k) {
            cache.store(keyOf(uint8_t(k)), songOf(float(k), notes));
            KnownSong song;
            if (k > 1) cache.find(keyOf(1), song); // the first stays in use
        }
    }
    EXPECT_LE(fs::file_size(folder / LengthCache::kFileName), LengthCache::kMaxFileBytes);
    EXPECT_TRUE(has(1));
    EXPECT_FALSE(has(2));
    EXPECT_FALSE(has(20));
    EXPECT_TRUE(has(stored));
}

TEST_F(LengthCacheFile, TwoProcessesKeepEachOthersEntriesAndLeaveNoTemporaryFiles) {
    {
        LengthCache first(folder.string());
        LengthCache second(folder.string());
        first.store(keyOf(1), songOf(1));
        second.store(keyOf(2), songOf(2));
        first.store(keyOf(3), songOf(3));
        second.store(keyOf(4), songOf(4));
    }
    for (int k = 1; k <= 4; ++k) EXPECT_TRUE(has(k)) << k;
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST_F(LengthCacheFile, AFolderThatCannotBeMadeMeansNoCache) {
    fs::create_directories(folder);
    std::ofstream(folder / "file") << "x";
    const fs::path under = folder / "file" / "varno";
    {
        LengthCache cache(under.string());
        cache.store(keyOf(1), songOf(1));
        cache.save();
    }
    LengthCache cache(under.string());
    KnownSong song;
    EXPECT_FALSE(cache.find(keyOf(1), song));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

// The plugin: a file measured once is answered from the cache. An entry changed
// behind its back proves the answer came from there and no scan ran.
class PluginLengthCache : public PluginTest {
protected:
    LengthCacheKey keyOf(const std::string& path, uint32_t rate) {
        const std::string bytes = fileBytes(path);
        LengthCacheKey key;
        EXPECT_TRUE(lengthCacheKey(*pluginInstance()->machine, md5(reinterpret_cast<const uint8_t*>(bytes.data()),
                                                                   bytes.size()),
                                   rate, key));
        return key;
    }

    std::vector<float> fileInfo(const std::string& path) {
        float* seconds = nullptr;
        const uint32_t info =
            withFile(path, [&](HostFile f) { return plugin->getFileInfo(path.c_str(), f, &seconds, nullptr); });
        std::vector<float> list(info & 0xFFFF);
        if (seconds) std::copy(seconds, seconds + list.size(), list.begin());
        host().tables().memoryFunctions->release(seconds);
        return list;
    }

    LengthCache& cache() { return *pluginInstance()->lengthCache; }

    const KnownSong planted{{11, 12, 13}, std::string("title\0Planted\0", 14), ""};
};

TEST_F(PluginLengthCache, FileInformationComesFromTheCacheUntilTheFileArchiveOrSettingsChange) {
    const std::string path = writeModule("song.vts", "VTS1", "Song");
    const std::vector<float> measured = fileInfo(path);
    ASSERT_EQ(measured.size(), 3u);
    EXPECT_NEAR(measured[1], 2.0, 0.001);
    KnownSong stored;
    ASSERT_TRUE(cache().find(keyOf(path, scanSampleRate()), stored));
    EXPECT_EQ(stored.seconds, measured);
    EXPECT_EQ(stored.tags, std::string("title\0Song\0", 11));

    const struct {
        const char* change;
        std::function<void()> apply;
        std::function<void()> undo;
    } changes[] = {
        {"none", [] {}, [] {}},
        {"the file", [&] { writeModule("song.vts", "VTS1", "Song 2"); }, [&] { writeModule("song.vts", "VTS1", "Song"); }},
        {"the play time", [] { pluginSettings.default_playtime = 1; }, [&] { pluginSettings.default_playtime = saved.default_playtime; }},
        {"song end", [] { pluginSettings.use_songend = 0; }, [&] { pluginSettings.use_songend = saved.use_songend; }},
        {"the archive", [] { pluginInstance()->archivePrint[5] ^= 1; }, [] { pluginInstance()->archivePrint[5] ^= 1; }},
    };
    for (const auto& c : changes) {
        cache().store(keyOf(path, scanSampleRate()), planted);
        c.apply();
        const std::vector<float> got = fileInfo(path);
        c.undo();
        if (std::string(c.change) == "none") {
            EXPECT_EQ(got, planted.seconds) << "no scan when nothing changed";
            float* seconds = nullptr;
            char* tagList = nullptr;
            withFile(path, [&](HostFile f) { return plugin->getFileInfo(path.c_str(), f, &seconds, &tagList); });
            host().tables().memoryFunctions->release(seconds);
            EXPECT_EQ(tags(tagList), (std::vector<std::pair<std::string, std::string>>{{"title", "Planted"}}));
        } else {
            EXPECT_NE(got, planted.seconds) << c.change << " changed: measured again";
        }
    }
    EXPECT_TRUE(errors.empty());
}

TEST_F(PluginLengthCache, TheOpenModulesLengthsComeFromTheCacheAndScanOffLeavesItAlone) {
    const std::string path = writeModule("song.vts", "VTS1");
    ASSERT_TRUE(open(path));
    scanSubsongLengths();
    KnownSong stored;
    const uint32_t rate = pluginInstance()->song->sampleRate;
    ASSERT_TRUE(cache().find(keyOf(path, rate), stored));
    ASSERT_EQ(stored.seconds.size(), 3u);
    EXPECT_NEAR(stored.seconds[1], 2.0, 0.001);
    EXPECT_EQ(stored.seconds[0], playingLength());

    cache().store(keyOf(path, rate), planted);
    ASSERT_TRUE(open(path));
    scanSubsongLengths();
    EXPECT_EQ(playingLength(), 11.0f);
    float total = 0;
    EXPECT_EQ(plugin->getSubSongs(&total), 3u);
    EXPECT_EQ(total, 36.0f);
    plugin->close();

    // Without scanning, file information neither asks the cache nor adds to it.
    pluginSettings.scan_lengths = 0;
    const std::string other = writeModule("other.vts", "VTS1", "Other");
    EXPECT_EQ(fileInfo(path).size(), 1u);
    EXPECT_EQ(fileInfo(other).size(), 1u);
    pluginSettings.scan_lengths = 1;
    EXPECT_FALSE(cache().find(keyOf(other, scanSampleRate()), stored));
}

// varno info answers from the cache it shares with the plugin; --no-cache
// neither reads nor writes it.
TEST_F(CommandLineTest, InfoAnswersFromTheLengthCacheUnlessToldNotTo) {
    const fs::path file = folder / "varno" / LengthCache::kFileName;
    const CommandRun measured = varno(p + "info " + module);
    ASSERT_EQ(measured.exitCode, 0) << measured.err;
    ASSERT_NE(measured.out.find("Subsong 2   0:02.0"), std::string::npos) << measured.out;
    ASSERT_TRUE(fs::exists(file));
    EXPECT_EQ(varno(p + "info " + module).out, measured.out);

    // Planted lengths (the texts kept beside them stay) show who answered.
    const std::string bytes = fileBytes(module);
    LengthCacheKey key;
    ASSERT_TRUE(lengthCacheKey(*pluginInstance()->machine,
                               md5(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), kDefaultSampleRate,
                               key));
    pluginInstance()->lengthCache->store(key, {{11, 12, 13}, "", ""});
    pluginInstance()->lengthCache->save();
    const CommandRun cached = varno(p + "info " + module);
    EXPECT_NE(cached.out.find("Subsong 2   0:12.000"), std::string::npos) << cached.out;
    EXPECT_NE(cached.out.find("Format"), std::string::npos) << cached.out;

    const std::string before = fileBytes(file);
    const CommandRun fresh = varno(p + "info --no-cache --json " + module);
    EXPECT_NE(fresh.out.find("\"seconds\": 2.0"), std::string::npos) << fresh.out;
    EXPECT_EQ(fileBytes(file), before);
    fs::remove(file);
    EXPECT_EQ(varno(p + "info --no-cache " + module).out, measured.out);
    EXPECT_FALSE(fs::exists(file));
}

} // namespace
} // namespace varno::test
