// Players held in memory, served as the entries of a player archive through a
// host of their own, so the catalogue loads them as it loads any archive.
#pragma once

#include <string>
#include <vector>

#include "library/module.h"
#include "platform/host_tables.h"

namespace varno {

// The host: its one file is the archive named by memoryPlayersPath, and it
// allocates from the C heap. The host's functions take no context of their own,
// so the archive's name carries the address of its players.
const HostTables& memoryPlayersHost();

// The archive's name for these players; they must outlive its use.
std::string memoryPlayersPath(const std::vector<PlayerFile>& players);

} // namespace varno
