#include "plugin/length_scan.h"

#include <chrono>
#include <memory>
#include <vector>

#include "machine/amiga_machine.h"
#include "machine/settings.h"
#include "plugin/info_text.h"
#include "plugin/known_lengths.h"
#include "plugin/plugin_instance.h"
#include "plugin/subsong_lengths.h"
#include "session/module_session.h"

namespace varno {

namespace {

std::unique_ptr<AmigaMachine> scanMachine;
HostTables quietHost; // the host's tables without the length report

} // namespace

void releaseScanMachine() {
    scanMachine.reset();
}

uint32_t scanSampleRate() { return scanMachine ? scanMachine->sampleRate : kDefaultSampleRate; }

uint32_t scanFileInfo(AmigaMachine& playing, const char* path, const std::vector<uint8_t>& data,
                      const LengthCacheKey* key, float** lengths, char** tags) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                               std::chrono::duration<double>(kScanBudgetSeconds));
    if (!scanMachine) {
        quietHost = *playing.host;
        quietHost.inputFunctions = nullptr;
        scanMachine = createMachine(&quietHost, playing.pluginDirectoryRef);
        if (scanMachine) scanMachine->faultSink = showMachineFault;
    }
    AmigaMachine& m = *scanMachine;
    uint32_t result = 0;
    if (openModule(m, path, data.data(), uint32_t(data.size()))) {
        measureSubsongLengths(m, deadline);
        // Lengths cut short by the host's clock are not the song's: not kept.
        if (LengthCache* cache = lengthCache(); cache && key && std::chrono::steady_clock::now() < deadline)
            cache->store(*key, knownSongOf(m));
        result = m.subsongCount + 0x10000;
        // The lengths and tags are the host's: built with its own memory functions.
        m.host = playing.host;
        if (lengths) *lengths = subsongLengthList(m);
        if (tags) *tags = buildTags(m);
        m.host = &quietHost;
    }
    closeModule(m);
    return result;
}

} // namespace varno
