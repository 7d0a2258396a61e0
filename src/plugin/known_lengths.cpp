#include "plugin/known_lengths.h"

#include <string>
#include <vector>

#include "machine/amiga_machine.h"
#include "machine/settings.h"
#include "session/song.h"
#include "players/player_archive.h"
#include "plugin/info_text.h"
#include "plugin/plugin_instance.h"
#include "session/module_session.h"
#include "plugin/xmpin.h"

namespace varno {

namespace {

void put32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out += char(uint8_t(v >> (8 * i)));
}

// The archive's size and MD5, read through the host as the catalogue is: the
// command line's --players stands in for the file beside the plugin.
std::string readArchivePrint(AmigaMachine& m) {
    const HostFileFunctions* files = m.host ? m.host->fileFunctions : nullptr;
    ensureCatalogue(m);
    if (!m.players || !files || !files->open || !files->size || !files->seek || !files->read || !files->close)
        return {};
    HostFile file = files->open(m.players->archivePath);
    if (!file) return {};
    std::vector<uint8_t> bytes(files->size(file));
    files->seek(file, 0);
    const bool read = files->read(file, bytes.data(), uint32_t(bytes.size())) == bytes.size();
    files->close(file);
    if (!read || bytes.empty()) return {};
    std::string print;
    put32(print, uint32_t(bytes.size()));
    const Md5Digest digest = md5(bytes.data(), bytes.size());
    print.append(reinterpret_cast<const char*>(digest.data()), digest.size());
    return print;
}

} // namespace

LengthCache* lengthCache() {
    PluginInstance* plugin = pluginInstance();
    return plugin ? plugin->lengthCache.get() : nullptr;
}

bool lengthCacheKey(AmigaMachine& m, const Md5Digest& content, uint32_t sampleRate, LengthCacheKey& key) {
    PluginInstance* plugin = pluginInstance();
    if (!plugin || !plugin->lengthCache) return false;
    if (plugin->archivePrint.empty()) plugin->archivePrint = readArchivePrint(m);
    if (plugin->archivePrint.empty()) return false;
    // What decides a length besides the module: the players, the settings that
    // end a song (silence's own limits are constants, covered by the version),
    // and the rate at which silence is counted in frames.
    std::string context;
    put32(context, kLengthCacheVersion);
    context += plugin->archivePrint;
    put32(context, uint32_t(pluginSettings.default_playtime));
    put32(context, uint32_t(pluginSettings.use_songend));
    put32(context, sampleRate);
    key.content = content;
    key.context = md5(reinterpret_cast<const uint8_t*>(context.data()), context.size());
    return true;
}

KnownSong knownSongOf(const Song& song) {
    KnownSong known;
    for (uint32_t k = 0; k < song.subsongCount; ++k)
        known.seconds.push_back(song.firstSubsong + k < uint32_t(kMaxSubsongs)
                                    ? song.subsongSeconds[song.firstSubsong + k]
                                    : 0.0f);
    known.tags = moduleTagPairs(song);
    return known;
}

bool applyKnownLengths(Song& song, const KnownSong& known) {
    if (known.seconds.size() != song.subsongCount) return false;
    float total = 0;
    for (uint32_t k = 0; k < song.subsongCount && song.firstSubsong + k < uint32_t(kMaxSubsongs); ++k) {
        song.subsongSeconds[song.firstSubsong + k] = known.seconds[k];
        total += known.seconds[k];
    }
    song.totalSeconds = total;
    return true;
}

uint32_t knownFileInfo(AmigaMachine& m, const KnownSong& song, float** lengths, char** tags) {
    const HostMemoryFunctions* memory = m.host ? m.host->memoryFunctions : nullptr;
    const uint32_t count = uint32_t(song.seconds.size());
    if (lengths) {
        auto* block = memory && memory->allocate && count
                          ? static_cast<float*>(memory->allocate(count * sizeof(float)))
                          : nullptr;
        for (uint32_t k = 0; block && k < count; ++k) block[k] = song.seconds[k];
        *lengths = block;
    }
    if (tags) *tags = buildTagList(m, song.tags);
    return count + kFileInfoSubsongs;
}

} // namespace varno
