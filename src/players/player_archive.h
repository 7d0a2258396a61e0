// The catalogue of slave players read from xmp-varno.dat, and the files placed
// into emulated memory for the current module.
#pragma once

#include <cstdint>
#include <memory>

#include "players/slave_player.h"

namespace varno {

struct AmigaMachine;

struct ListDataEntry {
    uint32_t address;
    uint32_t size;
};

struct PlayerArchive {
    static constexpr uint32_t kMaxItems = 256;
    static constexpr uint32_t kMaxListData = 32;

    std::unique_ptr<SlavePlayer> items[kMaxItems];  // 0: a custom module's own player
    char archivePath[512] = {};
    uint32_t count = 1;
    AmigaMachine* machine = nullptr;
    ListDataEntry listData[kMaxListData] = {};
    uint32_t listCount = 0;

    SlavePlayer* player(uint32_t index) const { return index < count ? items[index].get() : nullptr; }
};

// What placeFile does with the placed data (bits may be combined).
constexpr uint32_t kPlaceListData = 1;   // becomes the next list-data entry
constexpr uint32_t kPlaceCheckData = 2;  // becomes the data to check (DeliBase 36/40)
constexpr uint32_t kPlaceBoth = 3;

// Copies host data into mainMemory at its cursor and records it as kind says.
// Returns the emulated address, or 0 when the data does not fit (nothing is
// written or recorded then). List-data entries beyond the 32nd are not recorded.
uint32_t placeFile(AmigaMachine& machine, const uint8_t* data, uint32_t size, uint32_t kind);

} // namespace varno
