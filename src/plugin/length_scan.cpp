#include "plugin/length_scan.h"

#include <chrono>

#include "machine/amiga_machine.h"
#include "machine/settings.h"
#include "plugin/info_text.h"
#include "plugin/known_lengths.h"
#include "plugin/plugin_instance.h"
#include "plugin/subsong_lengths.h"
#include "plugin/xmpin.h"
#include "session/module_session.h"
#include "session/song.h"

namespace varno {

LengthScanner::LengthScanner() = default;
LengthScanner::~LengthScanner() = default;

uint32_t scanSampleRate() { return kDefaultSampleRate; }

uint32_t scanFileInfo(LengthScanner& scanner, const HostTables& host, const char* pluginDirectory,
                      const char* path, const std::vector<uint8_t>& data, const LengthCacheKey* key,
                      float** lengths, char** tags) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                               std::chrono::duration<double>(kScanBudgetSeconds));
    MutexLock lock(scanner.lock);
    if (!scanner.machine) {
        scanner.quietHost = host;
        scanner.quietHost.inputFunctions = nullptr;
        scanner.machine = createMachine(&scanner.quietHost, pluginDirectory);
        if (!scanner.machine) return 0;
        scanner.machine->faultSink = showMachineFault;
        scanner.song = std::make_unique<Song>();
        attachSong(*scanner.machine, *scanner.song);
    }
    AmigaMachine& m = *scanner.machine;
    Song& song = *scanner.song;
    uint32_t result = 0;
    if (openModule(m, song, path, data.data(), uint32_t(data.size()))) {
        measureSubsongLengths(m, song, deadline);
        // Lengths cut short by the host's clock are not the song's: not kept.
        if (LengthCache* cache = lengthCache(); cache && key && std::chrono::steady_clock::now() < deadline)
            cache->store(*key, knownSongOf(song));
        result = song.subsongCount + kFileInfoSubsongs;
        // The lengths and tags are the host's: built with its own memory functions.
        m.host = &host;
        if (lengths) *lengths = subsongLengthList(m, song);
        if (tags) *tags = buildTags(m, song);
        m.host = &scanner.quietHost;
    }
    closeModule(m, song);
    return result;
}

} // namespace varno
