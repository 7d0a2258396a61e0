// Lengths of files before they are played: a second machine plays the file's
// subsongs through silently, on the thread that asks, while the first goes on
// with the song playing.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/host_tables.h"
#include "platform/mutex.h"
#include "plugin/length_cache.h"

namespace varno {

struct AmigaMachine;
struct Song;

// The scanning machine, its own song record and the lock that keeps one scan at a time on it. The
// playing machine's lock is not needed for a scan, so playback never waits for one.
struct LengthScanner {
    LengthScanner();
    ~LengthScanner();
    LengthScanner(const LengthScanner&) = delete;
    LengthScanner& operator=(const LengthScanner&) = delete;

    Mutex lock;
    HostTables quietHost{};  // the host's tables without the length report
    std::unique_ptr<Song> song;             // the song the scanning machine plays; goes after it
    std::unique_ptr<AmigaMachine> machine;  // built at the first scan
};

// The whole-file answer of the file information entry for a file that is not the
// open one, from its bytes: its subsong count, each subsong's length (at the
// song's end, after silence, or at the play time; 0 when not found within the
// time allowed for one file), title and file type; 0 when the file cannot be
// opened as a module. A scan that finished in time is stored under key, when
// given. Takes the scanner's lock, not the plugin's.
uint32_t scanFileInfo(LengthScanner& scanner, const HostTables& host, const char* pluginDirectory,
                      const char* path, const std::vector<uint8_t>& data, const LengthCacheKey* key,
                      float** lengths, char** tags);

// The rate the scanning machine counts silence at, for the cache's keys: it keeps
// the default rate.
uint32_t scanSampleRate();

// Host time one file's scan may take; subsongs not measured by then stay unknown.
constexpr double kScanBudgetSeconds = 0.5;

} // namespace varno
