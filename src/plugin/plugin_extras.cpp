#include "plugin/plugin_extras.h"

#include "machine/amiga_machine.h"
#include "session/fast_forward.h"
#include "session/frame_driver.h"
#include "session/module_session.h"
#include "machine/settings.h"
#include "players/player_archive.h"
#include "plugin/playback_state.h"
#include "plugin/plugin_instance.h"

namespace varno {

namespace {

// Songs that never end are given up after this much song time when no play time is set.
constexpr double kScanLimitSeconds = 3600;

AmigaMachine* machineOf() {
    PluginInstance* plugin = pluginInstance();
    return plugin ? plugin->machine : nullptr;
}

std::string firstLine(const char* text) {
    std::string s = text ? text : "";
    const size_t end = s.find_first_of("\r\n");
    return end == std::string::npos ? s : s.substr(0, end);
}

} // namespace

std::vector<CataloguedPlayer> listPlayers() {
    MutexLock lock(pluginMutex());
    std::vector<CataloguedPlayer> list;
    AmigaMachine* m = machineOf();
    if (!m) return list;
    const PlayerArchive* archive = ensureCatalogue(*m);
    for (uint32_t i = 1; archive && i < archive->count; ++i) {
        const SlavePlayer* p = archive->player(i);
        if (!p) continue;
        list.push_back({i, p->fileName ? p->fileName : "", p->playerName ? p->playerName : "", p->formatTag,
                        firstLine(p->creatorText)});
    }
    return list;
}

std::string identifyPlayer(const char* path, HostFile file) {
    MutexLock lock(pluginMutex());
    const int32_t index = identifyHostFile(path, file);
    if (index < 0) return {};
    if (index == 0) return "custom module";
    const AmigaMachine* m = machineOf();
    const SlavePlayer* p = m && m->players ? m->players->player(uint32_t(index)) : nullptr;
    return p && p->playerName ? p->playerName : "player " + std::to_string(index);
}

int scanSubsongLengths() {
    MutexLock lock(pluginMutex());
    AmigaMachine* m = machineOf();
    if (!m || !openModulePath()[0] || !m->currentPlayer()) return 0;
    // Lengths found here are not the playing song's: the host hears of none.
    const HostTables* host = m->host;
    HostTables quiet = host ? *host : HostTables{};
    quiet.inputFunctions = nullptr;
    m->host = &quiet;

    const uint32_t playing = m->currentSubsong;
    const double limit = pluginSettings.default_playtime > 0 ? pluginSettings.default_playtime : kScanLimitSeconds;
    int measured = 0;
    for (uint32_t s = m->firstSubsong; s < m->firstSubsong + m->subsongCount && s < kMaxSubsongs; ++s) {
        if (!m->subsongValid[s]) continue;
        startSubsong(*m, int32_t(s - m->firstSubsong), false);
        if (m->currentSubsong != s) continue;
        if (fastForward(*m, limit)) {
            // Rendering stopped: the song's own end or silence give its length,
            // the play time gives the play time.
            const bool ownEnd = (m->songEndSignalled && pluginSettings.use_songend) || m->silenceEnded;
            m->subsongSeconds[s] = ownEnd ? m->elapsedSeconds : float(limit);
            ++measured;
        }
    }
    float total = 0;
    for (uint32_t s = m->firstSubsong; s < m->firstSubsong + m->subsongCount && s < kMaxSubsongs; ++s)
        total += m->subsongSeconds[s];
    m->totalSeconds = total;
    startSubsong(*m, int32_t(playing - m->firstSubsong), false);
    m->host = host;
    return measured;
}

float playingSeconds() {
    const AmigaMachine* m = machineOf();
    return m ? m->elapsedSeconds : 0;
}

float playingLength() {
    const AmigaMachine* m = machineOf();
    return m && m->currentSubsong < kMaxSubsongs ? m->subsongSeconds[m->currentSubsong] : 0;
}

} // namespace varno
