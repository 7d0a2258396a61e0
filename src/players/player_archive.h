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

} // namespace varno
