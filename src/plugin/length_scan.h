// Lengths of files before they are played: a second machine plays the file's
// subsongs through silently while the first goes on with the song playing.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/host_tables.h"
#include "plugin/length_cache.h"

namespace varno {

struct AmigaMachine;

// The whole-file answer of the file information entry for a file that is not the
// open one, from its bytes: its subsong count, each subsong's length (at the
// song's end, after silence, or at the play time; 0 when not found within the
// time allowed for one file), title and file type. 0 when the file cannot be
// opened as a module. A scan that finished in time is stored under key, when
// given. The caller holds the plugin lock; the playing machine is left exactly
// as it was.
uint32_t scanFileInfo(AmigaMachine& playing, const char* path, const std::vector<uint8_t>& data,
                      const LengthCacheKey* key, float** lengths, char** tags);

// The rate the scanning machine counts silence at, for the cache's keys.
uint32_t scanSampleRate();

// Host time one file's scan may take; subsongs not measured by then stay unknown.
constexpr double kScanBudgetSeconds = 0.5;

// Frees the scanning machine (library unload).
void releaseScanMachine();

} // namespace varno
