// The entries through which the host recognises files, opens and closes them,
// chooses subsongs and pulls samples. Each holds the plugin lock while it uses
// the machine and converts to the host's units; the work is the machine's.
#include <cstring>
#include <optional>
#include <vector>

#include "interface/player_interface.h"
#include "library/module_state.h"
#include "machine/amiga_machine.h"
#include "machine/settings.h"
#include "session/song.h"
#include "session/frame_driver.h"
#include "session/module_session.h"
#include "players/player_archive.h"
#include "plugin/entries.h"
#include "plugin/info_text.h"
#include "plugin/known_lengths.h"
#include "plugin/length_scan.h"
#include "plugin/md5.h"
#include "plugin/plugin_instance.h"
#include "plugin/playback_state.h"
#include "plugin/subsong_lengths.h"

namespace varno {

namespace {

constexpr uint32_t kCheckBytes = kCheckWindow;

char currentPath[1024];
uint8_t checkBuffer[kCheckBytes];
// The module playing, on the plugin's one machine.
std::optional<Module> playing;

AmigaMachine* machineOf() {
    PluginInstance* plugin = pluginInstance();
    return plugin ? plugin->machine : nullptr;
}

// The song record the machine plays: there whenever the machine is.
Song& songOf() { return *pluginInstance()->song; }

const HostFileFunctions* files() {
    PluginInstance* plugin = pluginInstance();
    return plugin && plugin->host ? plugin->host->fileFunctions : nullptr;
}

// The first 128 KB of the file into the check buffer; the whole size into size.
uint32_t readCheckData(HostFile file, uint32_t& size) {
    const HostFileFunctions* f = files();
    size = 0;
    if (!f || !file || !f->size || !f->read || !f->seek) return 0;
    size = f->size(file);
    f->seek(file, 0);
    const uint32_t want = size < kCheckBytes ? size : kCheckBytes;
    return want ? f->read(file, checkBuffer, want) : 0;
}

// A file recognised but not measured: one subsong and its player's file type
// (nothing for a custom module).
uint32_t fileTypeInfo(AmigaMachine& m, int32_t index, char** tags) {
    const SlavePlayer* player = index > 0 && m.players ? m.players->player(uint32_t(index)) : nullptr;
    if (tags && player) *tags = buildFileTypeTag(m, player->formatTag);
    return kFileInfoSubsongs + 1;
}

} // namespace

const char* openModulePath() { return currentPath; }

Module* playingModule() { return playing ? &*playing : nullptr; }

void closePlayingModule() {
    currentPath[0] = 0;
    playing.reset();
}

bool readModuleFile(HostFile file, uint32_t limit, std::vector<uint8_t>& data) {
    const HostFileFunctions* f = files();
    if (!f || !file || !f->size || !f->seek || !f->read) return false;
    const uint32_t size = f->size(file);
    // A file larger than emulated memory cannot be a module it holds: it is not read.
    if (size == 0 || size > limit) return false;
    data.resize(size);
    f->seek(file, 0);
    return f->read(file, data.data(), size) == size;
}

int32_t identifyHostFile(const char* path, HostFile file) {
    AmigaMachine* m = machineOf();
    if (!m || !path) return -1;
    uint32_t size = 0;
    const uint32_t got = readCheckData(file, size);
    if (got == 0) return -1;
    return identifyModule(*m, songOf(), path, checkBuffer, got, size);
}

namespace entries {

int VARNO_HOSTAPI checkFile(const char* path, HostFile file) {
    MutexLock lock(pluginMutex());
    return identifyHostFile(path, file) >= 0 ? 1 : 0;
}

uint32_t VARNO_HOSTAPI getFileInfo(const char* path, HostFile file, float** lengths, char** tags) {
    std::vector<uint8_t> data;
    LengthCacheKey key;
    bool keyed = false;
    const HostTables* host = nullptr;
    int32_t index = -1;
    {
        MutexLock lock(pluginMutex());
        AmigaMachine* m = machineOf();
        if (!m || !path || !m->host) return 0;
        ensureCatalogue(*m);
        if (currentPath[0] && std::strcmp(path, currentPath) == 0) {
            if (tags) *tags = buildTags(*m, songOf());
            if (lengths) *lengths = subsongLengthList(*m, songOf());
            return songOf().subsongCount + kFileInfoSubsongs;
        }
        // A file scanned before is answered from the cache, without a player even looking at it.
        const bool scan = pluginSettings.scan_lengths && readModuleFile(file, m->mainMemory->size, data);
        keyed = scan && lengthCacheKey(*m, md5(data.data(), data.size()), scanSampleRate(), key);
        if (KnownSong known; keyed && lengthCache()->find(key, known)) return knownFileInfo(*m, known, lengths, tags);
        // The players that recognise it are asked here, where one that hangs stays shut out.
        index = identifyHostFile(path, file);
        if (index < 0) return 0;
        if (!scan) return fileTypeInfo(*m, index, tags);
        host = m->host;
    }
    // Measured on the scanning machine under its own lock: playback goes on meanwhile.
    PluginInstance* plugin = pluginInstance();
    if (const uint32_t scanned =
            scanFileInfo(plugin->scanner, *host, plugin->directory, path, data, keyed ? &key : nullptr, lengths, tags))
        return scanned;
    MutexLock lock(pluginMutex());
    AmigaMachine* m = machineOf();
    return m ? fileTypeInfo(*m, index, tags) : 0;
}

int VARNO_HOSTAPI open(const char* path, HostFile file) {
    MutexLock lock(pluginMutex());
    AmigaMachine* m = machineOf();
    const HostFileFunctions* f = files();
    if (!m || !path || !file || !f || !f->size || !f->seek || !f->read) return 0;
    pluginInstance()->singleSubsong = 0;
    // Whatever happens next, the module open so far is gone.
    currentPath[0] = 0;
    playing.reset();
    std::vector<uint8_t> data;
    if (!readModuleFile(file, m->mainMemory->size, data)) {
        closeModule(*m, songOf());
        return 0;
    }
    try {
        playing.emplace(moduleOnMachine(*m, songOf(), path, data.data(), uint32_t(data.size())));
    } catch (const OpenError&) {
        return 0;
    }
    if (lengthCache()) pluginInstance()->openModuleDigest = md5(data.data(), data.size());
    reportLength(*m, songOf());
    std::strncpy(currentPath, path, sizeof currentPath - 1);
    currentPath[sizeof currentPath - 1] = 0;
    return 2;
}

void VARNO_HOSTAPI close() {
    MutexLock lock(pluginMutex());
    currentPath[0] = 0;
    if (playing) {
        playing.reset();
    } else if (AmigaMachine* m = machineOf()) {
        closeModule(*m, songOf());
    }
}

void VARNO_HOSTAPI setFormat(XmpFormat* format) {
    AmigaMachine* m = machineOf();
    // A rate of 0 would make every tick empty; such a format is not taken.
    if (!m || !format || format->rate == 0) return;
    Song& song = songOf();
    song.sampleRate = format->rate;
    m->updateTickLength();
    for (auto& delay : song.surroundDelay)
        if (delay) std::memset(delay.get(), 0, 0x10000);
    song.updateFrameSamples();
    song.outputChannels = format->channels;
}

double VARNO_HOSTAPI setPosition(uint32_t position) {
    MutexLock lock(pluginMutex());
    AmigaMachine* m = machineOf();
    if (!m) return 0;
    Song& song = songOf();
    // The requests that start a song again, without a module open, reach the machine as they always did.
    uint64_t unused = 0;
    uint64_t& delivered = playing ? stateOf(*playing).delivered : unused;
    switch (position) {
    case kPositionRestart:
        startSubsong(*m, song, -1, false);
        delivered = 0;
        return 0;
    case kPositionLoop:
        if (!restartIfEnded(*m, song)) delivered = 0;
        return 1.0;
    case kPositionLoopQuery:
        if (restartIfEnded(*m, song)) return 1.0;
        delivered = 0;
        return -1.0;
    default:
        break;
    }
    if (position & kPositionSubsong) {
        if (playing) {
            playing->selectSubsong(int32_t(position & 0xFFF));
        } else {
            startSubsong(*m, song, int32_t(position & 0xFFF), false);
        }
        pluginInstance()->singleSubsong = (position & kPositionSingleSubsong) ? 1 : 0;
        delivered = 0;
        reportLength(*m, song);
        return 0;
    }
    // A time in granules within the subsong playing.
    if (!pluginSettings.seeking || !currentPath[0] || !playing || song.sampleRate == 0) return 0;
    const uint64_t reached = seekToFrame(*playing, uint64_t(position) * song.sampleRate / 10);
    return double(reached) / double(song.sampleRate);
}

double VARNO_HOSTAPI getGranule() { return 0.1; }

uint32_t VARNO_HOSTAPI process(float* buffer, uint32_t count) {
    MutexLock lock(pluginMutex());
    if (!playing || !currentPath[0]) return 0;
    const int32_t want = count > 0x7FFFFFFFu ? 0x7FFFFFFF : int32_t(count);
    return uint32_t(renderValues(*playing, buffer, want));
}

uint32_t VARNO_HOSTAPI getSubSongs(float* totalSeconds) {
    if (!machineOf()) return 0;
    if (totalSeconds) *totalSeconds = songOf().totalSeconds;
    const int count = playing ? playing->subsongCount() : 0;
    return count >= 2 ? uint32_t(count) : 0;
}

} // namespace entries

} // namespace varno
