// The machine's side of the host's file entries: the player catalogue, the
// quick file check, opening a module (from the reset to its first subsong) and
// closing it. The caller holds the plugin lock and reads the files. The song
// passed with a machine is the one attached to it (session/song.h), here and
// in every session call.
#pragma once

#include <cstdint>

namespace varno {

struct AmigaMachine;
struct PlayerArchive;
struct Song;

// The catalogue, loaded from the plugin directory on first use. Never null
// after the call; a missing archive leaves it empty (and says so once).
PlayerArchive* ensureCatalogue(AmigaMachine& machine);

// True for an Amiga executable that carries its own DeliTracker player (a
// "CustomPlayer" tag, or bit 0 of its "Flags" tag in the first code hunk).
bool isCustomModule(const uint8_t* data, uint32_t size);

// Whether a player can play the file. data is the start of the file (at most
// the first 128 KB), fileSize the size of the whole file.
bool checkModule(AmigaMachine& machine, Song& song, const char* path, const uint8_t* data, uint32_t dataSize,
                 uint32_t fileSize);

// The catalogue index of the player that accepts the file (1 or more), 0 for a
// custom module, -1 when nothing plays it.
int32_t identifyModule(AmigaMachine& machine, Song& song, const char* path, const uint8_t* data, uint32_t dataSize,
                       uint32_t fileSize);

// Resets the machine and the song, loads the whole file, finds and sets up its
// player and starts the first subsong. On failure nothing is playing.
bool openModule(AmigaMachine& machine, Song& song, const char* path, const uint8_t* data, uint32_t size);

// Stops the player, forgets a custom module's own player and closes the host
// files the player left open.
void closeModule(AmigaMachine& machine, Song& song);

} // namespace varno
