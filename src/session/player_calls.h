// Calling a slave player's entry points: recognising a module, setting the
// player up, reading its subsongs, starting and stopping its interrupt.
#pragma once

#include <cstdint>

#include "interface/player_interface.h"

namespace varno {

struct AmigaMachine;
struct Song;

// Size of the file start the quick check places for the players' checks.
constexpr uint32_t kCheckBufferSize = kCheckWindow;

// Places the file start (at most 128 KB of data) above the mark cursor, tells the
// checks the whole file size, and runs the checks. Returns the catalogue index
// of the first player that accepts the file, or -1.
int32_t detectPlayer(AmigaMachine& machine, Song& song, const char* path, uint32_t fileSize, const uint8_t* data,
                     uint32_t dataSize);

// Runs the checks over the data already placed; the index found (or none)
// becomes playerIndex. Returns it, or -1.
int32_t detectLoadedPlayer(AmigaMachine& machine, Song& song);

// The module's directory, file name and full path, for the song and for the
// player-interface buffers; the dos library forgets its directories.
void splitPath(AmigaMachine& machine, Song& song, const char* path);

// Process, ExtLoad, InitPlayer, voices, subsongs, song title and format name.
// False when ExtLoad or InitPlayer reports failure.
bool initPlayer(AmigaMachine& machine, Song& song, const char* path);

void setVoices(AmigaMachine& machine, const Song& song);
void readSubsongRange(AmigaMachine& machine, Song& song);
void startInterrupt(AmigaMachine& machine, const Song& song);
// The first running CIA timer whose interrupt becomes the player's tick.
void chooseTickSource(const AmigaMachine& machine, Song& song);
void endPlayer(AmigaMachine& machine, const Song& song);

} // namespace varno
