#include "plugin/plugin_extras.h"

#include "machine/amiga_machine.h"
#include "session/module_session.h"
#include "players/player_archive.h"
#include "plugin/playback_state.h"
#include "plugin/plugin_instance.h"
#include "plugin/subsong_lengths.h"

namespace varno {

namespace {

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
    if (!m || !openModulePath()[0]) return 0;
    return measureSubsongLengths(*m);
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
