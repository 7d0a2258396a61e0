// Lengths of files before they are played: a second machine plays the file's
// subsongs through silently while the first goes on with the song playing.
#pragma once

#include <cstdint>

#include "platform/host_tables.h"

namespace varno {

struct AmigaMachine;

// The whole-file answer of the file information entry for a file that is not the
// open one: its subsong count, each subsong's length (at the song's end, after
// silence, or at the play time; 0 when not found within the time allowed for one
// file), title and file type. 0 when the file cannot be opened as a module. The
// caller holds the plugin lock; the playing machine is left exactly as it was.
uint32_t scanFileInfo(AmigaMachine& playing, const char* path, HostFile file, float** lengths, char** tags);

// Host time one file's scan may take; subsongs not measured by then stay unknown.
constexpr double kScanBudgetSeconds = 0.5;

// Frees the scanning machine (library unload).
void releaseScanMachine();

} // namespace varno
