// The catalogue of slave players read from xmp-varno.dat, and the files placed
// into emulated memory for the current module.
#pragma once

#include <cstdint>
#include <cstddef>
#include <memory>
#include <vector>

#include "platform/host_tables.h"
#include "players/slave_player.h"

namespace varno {

struct AmigaMachine;

struct PlayerArchive {
    static constexpr uint32_t kMaxItems = 256;

    std::unique_ptr<SlavePlayer> items[kMaxItems];  // 0: a custom module's own player
    char archivePath[512] = {};
    HostFile archiveHandle = nullptr;  // open only while the catalogue loads
    uint32_t count = 1;
    AmigaMachine* machine = nullptr;
    // Low memory and the players' part of main memory as the catalogue left them:
    // each module open starts from them, whatever the last player overwrote.
    std::vector<uint8_t> lowImage;
    std::vector<uint8_t> playersImage;
    bool imageTouched = false;  // a player has run a module since the last restore

    SlavePlayer* player(uint32_t index) const { return index < count ? items[index].get() : nullptr; }
};

// Creates machine.players for <pluginDirectory>xmp-varno.dat and loads it at
// mainMemory's cursor. When the archive cannot be opened or listed the user is
// told (this happens once: the empty catalogue stays).
PlayerArchive& createPlayerArchive(AmigaMachine& machine, const char* pluginDirectory);
// The same for an archive of any name (a path the host's file functions open).
PlayerArchive& createPlayerArchiveAt(AmigaMachine& machine, const char* archivePath);

// A player executable held in memory, as an entry of the archive would be read.
struct PlayerBytes {
    const char* name;
    const uint8_t* data;
    uint32_t size;
};

// The catalogue of players given in memory, loaded as the archive's entries are.
PlayerArchive& createPlayerCatalogue(AmigaMachine& machine, const PlayerBytes* players, size_t count);

// Loads every Amiga executable of the archive as a player, in the order the
// host lists them, and marks the end of the players in mainMemory. False (after
// the message) when the archive cannot be read.
bool loadCatalogue(PlayerArchive& archive);

// Puts back low memory and the players' memory as they were after loading
// (nothing before the catalogue has loaded).
void restoreCatalogueImage(PlayerArchive& archive);

constexpr const char* kArchiveName = "xmp-varno.dat";
constexpr const char* kNoPlayersMessage =
    "No slave players found (either xmp-varno.dat is missing or the ZIP plugin is not installed).";

} // namespace varno
