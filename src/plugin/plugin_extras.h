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
// of the subsong that was current. Returns the subsongs measured. Lengths found
// before under the same settings come from the length cache.
int scanSubsongLengths();

// A file's subsong lengths and the texts a front end kept with them
// (keepOpenModuleNotes), from the length cache under the settings in force: the
// file need not be open. False when the cache holds no such texts.
bool knownFileNotes(HostFile file, std::vector<float>& seconds, std::string& notes);

// Keeps texts of the front end's with the open module's entry in the length
// cache, with its lengths as they are now (after scanSubsongLengths).
void keepOpenModuleNotes(const std::string& notes);

// For the rest of the run the length cache is neither read nor written.
void disableLengthCache();

// Whether a long silence ends the song playing (so it is after every open): off
// while a front end plays a stretch its listener chose, where silence is music.
// The length scanner's song keeps its silence rule.
void setSilenceEndsSong(bool ends);

// Song time of the subsong playing, and its length when known (else 0).
float playingSeconds();
float playingLength();

} // namespace varno
