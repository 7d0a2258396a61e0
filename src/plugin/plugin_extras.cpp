#include "plugin/plugin_extras.h"

#include <algorithm>

#include "library/module_state.h"
#include "machine/amiga_machine.h"
#include "session/module_session.h"
#include "session/song.h"
#include "players/player_archive.h"
#include "plugin/known_lengths.h"
#include "plugin/md5.h"
#include "plugin/playback_state.h"
#include "plugin/plugin_instance.h"

namespace varno {

namespace {

AmigaMachine* machineOf() {
    PluginInstance* plugin = pluginInstance();
    return plugin ? plugin->machine : nullptr;
}

// The song record the machine plays: there whenever the machine is.
Song& songOf() { return *pluginInstance()->song; }

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

namespace {

// The open module's key at the rate it plays at.
bool openModuleKey(AmigaMachine& m, LengthCacheKey& key) {
    return openModulePath()[0] && lengthCacheKey(m, pluginInstance()->openModuleDigest, songOf().sampleRate, key);
}

} // namespace

int scanSubsongLengths() {
    MutexLock lock(pluginMutex());
    AmigaMachine* m = machineOf();
    Module* module = playingModule();
    if (!m || !module || !openModulePath()[0]) return 0;
    LengthCacheKey key;
    const bool keyed = openModuleKey(*m, key);
    if (KnownSong known; keyed && lengthCache()->find(key, known) && applyKnownLengths(songOf(), known))
        return int(std::count_if(known.seconds.begin(), known.seconds.end(), [](float s) { return s > 0; }));
    const int measured = measureLengths(*module);
    if (keyed) lengthCache()->store(key, knownSongOf(songOf()));
    return measured;
}

bool knownFileNotes(HostFile file, std::vector<float>& seconds, std::string& notes) {
    MutexLock lock(pluginMutex());
    AmigaMachine* m = machineOf();
    std::vector<uint8_t> data;
    LengthCacheKey key;
    KnownSong known;
    if (!m || !readModuleFile(file, m->mainMemory->size, data) ||
        !lengthCacheKey(*m, md5(data.data(), data.size()), songOf().sampleRate, key) ||
        !lengthCache()->find(key, known) ||
        known.notes.empty())
        return false;
    seconds = std::move(known.seconds);
    notes = std::move(known.notes);
    return true;
}

void keepOpenModuleNotes(const std::string& notes) {
    MutexLock lock(pluginMutex());
    AmigaMachine* m = machineOf();
    LengthCacheKey key;
    if (!m || !openModuleKey(*m, key)) return;
    KnownSong known = knownSongOf(songOf());
    known.notes = notes;
    lengthCache()->store(key, known);
}

void disableLengthCache() {
    MutexLock lock(pluginMutex());
    if (PluginInstance* plugin = pluginInstance()) plugin->lengthCache.reset();
}

void setSilenceEndsSong(bool ends) {
    MutexLock lock(pluginMutex());
    if (machineOf()) songOf().silenceEnds = ends;
}

float playingSeconds() {
    return machineOf() ? float(songOf().elapsedSeconds) : 0;
}

float playingLength() {
    if (!machineOf()) return 0;
    const Song& song = songOf();
    return song.currentSubsong < kMaxSubsongs ? song.subsongSeconds[song.currentSubsong] : 0;
}

} // namespace varno
