// Services of the plugin beyond the host's interface table, for the command
// line that links the plugin in. Each takes the plugin lock like the entries.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/host_tables.h"

namespace varno {

struct CataloguedPlayer {
    uint32_t index;
    std::string fileName;
    std::string playerName;
    std::string formatTag;
    std::string creator; // first line
};

// The player catalogue, loaded on first use like a file check would.
std::vector<CataloguedPlayer> listPlayers();

// The player that plays the file: its name, "custom module" for a module with
// its own player, empty when nothing plays it.
std::string identifyPlayer(const char* path, HostFile file);

// Plays every subsong of the open module through without output and records
// the lengths it finds: at the song's end, after silence, or at the play time
// (a song that reaches it counts as that long). With no play time, a song
// still running after an hour stays unknown. The module is left at the start
// of the subsong that was current. Returns the subsongs measured.
int scanSubsongLengths();

// Song time of the subsong playing, and its length when known (else 0).
float playingSeconds();
float playingLength();

} // namespace varno
