// Every shared song played to its end twice: silently, as lengths are measured
// before play, and rendered sample by sample. The silent run skips the samples,
// so it must still end each song at the same tick and for the same reason.
#include "kit/player_test.h"
#include "session/fast_forward.h"
#include "songs/shared_songs.h"

namespace varno::test {
namespace {

using SongEnds = PlayerTest;

struct End {
    bool signalled = false, silent = false;
    float seconds = 0;
};

End endOf(const Song& song) {
    return {song.songEndSignalled != 0, song.silenceEnded != 0, song.subsongSeconds[song.currentSubsong]};
}

TEST_F(SongEnds, SkippingTheSamplesEndsEverySharedSongWhereRenderingEndsIt) {
    pluginSettings.interpolation = 0;
    pluginSettings.default_playtime = 600;
    const std::vector<SharedSong> songs = playedSharedSongs();
    if (songs.empty()) GTEST_SKIP() << "no shared songs at " << sharedSongRoot();
    static std::vector<float> out(kRenderPartValues);
    for (const SharedSong& song : songs) {
        SCOPED_TRACE(song.file);
        const auto path = sharedSongRoot() / song.file;
        ASSERT_TRUE(open(readBytes(path), path.filename().string()));
        ASSERT_TRUE(fastForward(*machine, *songRecord, 600));
        const End skipped = endOf(*songRecord);

        startSubsong(*machine, *songRecord, -1, false);
        uint64_t values = 0;
        for (int32_t got = kRenderPartValues; got == kRenderPartValues;) {
            got = render(*machine, *songRecord, out.data(), kRenderPartValues);
            values += uint64_t(got);
        }
        const End rendered = endOf(*songRecord);
        EXPECT_EQ(skipped.signalled, rendered.signalled);
        EXPECT_EQ(skipped.silent, rendered.silent);
        EXPECT_EQ(skipped.seconds, rendered.seconds);
        // Songs we play right last; one we do not yet (silent in part, see its row) may end early.
        if (song.compared) {
            EXPECT_GT(skipped.seconds, 10.0f);
        }
        // What was heard is the measured length, to the frame (and the float the
        // length is kept in: 1/48000 s is two of its steps at 281 s).
        EXPECT_NEAR(double(values) / 2, double(skipped.seconds) * songRecord->sampleRate, 1.5);
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

} // namespace
} // namespace varno::test
