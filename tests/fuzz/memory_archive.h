// A host whose files live in memory: a player archive (named entries) and any
// number of plain files, for fuzz targets that must not touch the disk.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/host_tables.h"

namespace varno::fuzz {

struct MemoryFiles {
    // Archive entries in the order listEntries gives them.
    std::vector<std::pair<std::string, std::vector<uint8_t>>> archive;
    std::map<std::string, std::vector<uint8_t>> files;
};

// The one set of files the host serves; replace its contents between runs.
MemoryFiles& memoryFiles();

// The host's tables, with the archive reachable as "<any folder>xmp-varno.dat".
const HostTables& memoryHost();

// Host files still open (each run must close what it opened).
size_t openMemoryFiles();

} // namespace varno::fuzz
