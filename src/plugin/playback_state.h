// What the playback entries know beyond the machine, for the plugin's other parts.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/host_tables.h"

namespace varno {

class Module;

// The module playing; null when none is open.
Module* playingModule();

// Closes the module playing, if any (before the machine goes, at library unload).
void closePlayingModule();

// The path of the open module; empty when none is open.
const char* openModulePath();

// The whole host file, when it is not empty and holds at most limit bytes.
bool readModuleFile(HostFile file, uint32_t limit, std::vector<uint8_t>& data);

// Reads the start of the host file and finds its player: the catalogue index
// (1 or more), 0 for a custom module, -1 when nothing plays it. The caller
// holds the plugin lock.
int32_t identifyHostFile(const char* path, HostFile file);

} // namespace varno
