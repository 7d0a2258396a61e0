// Lengths of files before they are played, found while another song plays, and
// seeking within a subsong: neither may change a single sample of what is heard.
#include <algorithm>
#include <chrono>
#include <future>
#include <thread>

#include "machine/amiga_machine.h"
#include "plugin/plugin_fixture.h"

namespace varno::test {
namespace {

class LengthsAndSeeking : public PluginTest {
protected:
    // The subsong from its start, pulled in 20 ms requests.
    std::vector<float> play(const std::string& path, uint32_t subsong, size_t limit) {
        EXPECT_TRUE(open(path));
        plugin->setPosition(0x80000000 | subsong);
        return processAll({1920}, limit);
    }

    std::vector<float> pull(size_t values) { return processAll({uint32_t(values)}, values); }

    static bool sameFrom(const std::vector<float>& whole, size_t from, const std::vector<float>& part) {
        return from + part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin() + from);
    }
};

TEST_F(LengthsAndSeeking, OtherFilesAreMeasuredWithoutDisturbingTheSongPlaying) {
    pluginSettings.surround = 1;
    pluginSettings.interpolation = 1;
    const struct {
        const char* magic;
        uint32_t subsong;
    } playing[] = {{"VTS1", 1}, {"VTS5", 0}, {"EASO", 0}};
    const std::string other = writeModule("other.vts", "VTS1", "Other");
    for (const auto& song : playing) {
        const std::string path = writeModule("playing.vts", song.magic);
        const std::vector<float> whole = play(path, song.subsong, 2 * 48000 * 2);
        ASSERT_GT(whole.size(), 48000u) << song.magic;

        std::vector<float> interrupted = play(path, song.subsong, 0);
        interrupted = pull(48000);
        float* seconds = nullptr;
        char* tagList = nullptr;
        const uint32_t info = withFile(other, [&](HostFile f) { return plugin->getFileInfo(other.c_str(), f, &seconds, &tagList); });
        ASSERT_EQ(info, 0x10003u) << song.magic << (errors.empty() ? "" : errors[0]);
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(seconds[k], k == 1 ? 2.0 : 1.0, 0.001) << song.magic << k;
        host().tables().memoryFunctions->release(seconds);
        EXPECT_EQ(tags(tagList), (std::vector<std::pair<std::string, std::string>>{{"title", "Other"}}));
        const std::vector<float> rest = processAll({1920}, whole.size() - interrupted.size());
        interrupted.insert(interrupted.end(), rest.begin(), rest.end());
        EXPECT_EQ(interrupted.size(), whole.size()) << song.magic;
        EXPECT_TRUE(interrupted == whole) << song.magic << ": the song playing heard the scan";
        plugin->close();
    }
    EXPECT_TRUE(errors.empty());
}

TEST_F(LengthsAndSeeking, PlaybackGoesOnWhileAnotherFileIsMeasured) {
    const std::string path = writeModule("playing.vts", "VTS5");
    const std::string other = writeModule("other.vts", "VTS1", "Other");
    ASSERT_TRUE(open(path));
    // The test holds the scanning machine, so the scan started on a second thread
    // waits for it in the middle of the entry: the song must go on playing meanwhile.
    Mutex& scanning = pluginInstance()->scanner.lock;
    scanning.lock();
    float* seconds = nullptr;
    auto scan = std::async(std::launch::async, [&] {
        return withFile(other, [&](HostFile f) { return plugin->getFileInfo(other.c_str(), f, &seconds, nullptr); });
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // let the scan reach the scanning machine
    auto playing = std::async(std::launch::async, [&] { return processAll({1920}, 48000 * 2).size(); });
    const bool played = playing.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    scanning.unlock();
    EXPECT_TRUE(played) << "playback waited for the scan";
    EXPECT_EQ(playing.get(), size_t(48000 * 2));
    ASSERT_EQ(scan.get(), 0x10003u);
    EXPECT_NEAR(seconds[1], 2.0, 0.001);
    host().tables().memoryFunctions->release(seconds);
}

TEST_F(LengthsAndSeeking, SeekingGivesWhatAnUninterruptedRenderGivesFromThere) {
    pluginSettings.surround = 1;
    pluginSettings.interpolation = 1;
    const std::string path = writeModule("song.vts", "VTS5");
    const std::vector<float> whole = play(path, 0, 5 * 48000 * 2);
    ASSERT_EQ(whole.size(), 5u * 48000 * 2) << "a song longer than the seeks";

    const struct {
        size_t playedFirst; // values pulled before the seek
        uint32_t position;  // tenths of a second
    } seeks[] = {{0, 31}, {2 * 4801, 25}, {2 * 48000 * 3, 12}, {2 * 48000, 10}, {2 * 100, 1}};
    for (const auto& seek : seeks) {
        play(path, 0, 0);
        pull(seek.playedFirst);
        EXPECT_EQ(plugin->setPosition(seek.position), seek.position / 10.0);
        EXPECT_EQ(host().lastLengthFlags, 1) << "the song is seekable";
        const std::vector<float> after = pull(48000);
        EXPECT_TRUE(sameFrom(whole, size_t(seek.position) * 4800 * 2, after))
            << "seek to " << seek.position << " after " << seek.playedFirst;
    }

    // Past the end the song ends; without seeking nothing moves.
    play(path, 0, 0);
    pluginSettings.default_playtime = 2;
    EXPECT_LT(plugin->setPosition(100), 2.1);
    EXPECT_EQ(pull(960).size(), 0u);
    pluginSettings.default_playtime = 180;
    pluginSettings.seeking = 0;
    play(path, 0, 0);
    EXPECT_EQ(plugin->setPosition(20), 0.0);
    EXPECT_TRUE(sameFrom(whole, 0, pull(960)));
}

// The play time cuts a song that never ends short in its measured length as in
// playback; a negative one (an old settings file may hold one) at once.
TEST_F(LengthsAndSeeking, ThePlayTimeBoundsTheLengthAsItBoundsPlayback) {
    const std::string path = writeModule("endless.vts", "VTS5");
    for (const int32_t playtime : {2, -5}) {
        pluginSettings.default_playtime = playtime;
        float* seconds = nullptr;
        ASSERT_NE(withFile(path, [&](HostFile f) { return plugin->getFileInfo(path.c_str(), f, &seconds, nullptr); }),
                  0u);
        const double measured = seconds[0];
        host().tables().memoryFunctions->release(seconds);
        const double played = double(play(path, 0, 10 * 48000 * 2).size()) / 2 / 48000;
        EXPECT_NEAR(measured, played, 0.05) << playtime;
        EXPECT_NEAR(measured, std::max(playtime, 0), 0.05) << playtime;
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

} // namespace
} // namespace varno::test
