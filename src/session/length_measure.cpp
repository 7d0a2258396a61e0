#include "players/player_archive.h"
#include "session/length_measure.h"

#include "machine/amiga_machine.h"
#include "session/song.h"
#include "players/slave_player.h"
#include "session/fast_forward.h"
#include "session/frame_driver.h"

namespace varno {

namespace {
// Songs that never end are given up after this much song time when no play time is set.
constexpr double kScanLimitSeconds = 3600;
} // namespace

int measureSubsongLengths(AmigaMachine& m, Song& song, std::chrono::steady_clock::time_point deadline) {
    if (!currentPlayer(m, song)) return 0;
    const HostTables* host = m.host;
    HostTables quiet = host ? *host : HostTables{};
    quiet.inputFunctions = nullptr;
    m.host = &quiet;

    const PluginSettings& settings = *m.settings;
    const uint32_t playing = song.currentSubsong;
    // The play time cuts songs short, except those of a player that finds their end.
    const bool ownEnds = (currentPlayer(m, song)->flags & kPlayerReportsSongEnd) && settings.use_songend;
    const double limit = settings.default_playtime > 0 && !ownEnds ? settings.default_playtime : kScanLimitSeconds;
    int measured = 0;
    for (uint32_t s = song.firstSubsong; s < song.firstSubsong + song.subsongCount && s < kMaxSubsongs; ++s) {
        if (!song.subsongValid[s]) continue;
        startSubsong(m, song, int32_t(s - song.firstSubsong), false);
        if (song.currentSubsong != s || !fastForward(m, song, limit, deadline)) continue;
        // A song that ended by itself has its length recorded as it ended.
        const bool ownEnd = (song.songEndSignalled && settings.use_songend) || song.silenceEnded;
        if (!ownEnd) song.subsongSeconds[s] = float(limit);
        ++measured;
    }
    float total = 0;
    for (uint32_t s = song.firstSubsong; s < song.firstSubsong + song.subsongCount && s < kMaxSubsongs; ++s)
        total += song.subsongSeconds[s];
    song.totalSeconds = total;
    startSubsong(m, song, int32_t(playing - song.firstSubsong), false);
    m.host = host;
    return measured;
}

} // namespace varno
