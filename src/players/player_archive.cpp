// Placing files into emulated memory for the player-interface calls.
#include "players/player_archive.h"

#include <cstring>

#include "amigaos/system.h"
#include "machine/amiga_machine.h"
#include "players/deli_base.h"
#include "players/easo_block.h"

namespace varno {

namespace {

// EASO data carries no replay routine of its own: it plays through the built-in
// block placed in front of it, with the data minus its "EASO" tag behind.
bool isEaso(const uint8_t* data, uint32_t size) { return size >= 4 && std::memcmp(data, "EASO", 4) == 0; }

} // namespace

uint32_t placeFile(AmigaMachine& machine, const uint8_t* data, uint32_t size, uint32_t kind) {
    MemoryRegion& main = *machine.mainMemory;
    uint32_t address;
    if (isEaso(data, size)) {
        if (size > main.size) return 0;
        address = main.allocate(size + kEasoBlockSize);
        if (address == 0) return 0;
        main.writeBytes(address, kEasoBlock, kEasoBlockSize);
        main.writeBytes(address + kEasoBlockSize, data + 4, size - 4);
        // The recorded size counts four bytes the data does not fill; they read as zero.
        main.fill(address + kEasoBlockSize + size - 4, 0, 4);
        size += kEasoBlockSize;
    } else {
        address = main.allocate(size);
        if (address == 0) return 0;
        main.writeBytes(address, data, size);
    }

    if (kind & kPlaceListData) {
        PlayerArchive* archive = machine.players.get();
        if (archive && archive->listCount < PlayerArchive::kMaxListData)
            archive->listData[archive->listCount++] = {address, size};
    }
    if ((kind & kPlaceCheckData) && machine.system) {
        const CDeliBase& deli = *machine.system->deliBase;
        machine.lowMemory->writeLong(deli.base + kDeliCheckData, address);
        machine.lowMemory->writeLong(deli.base + kDeliCheckSize, size);
    }
    return address;
}

} // namespace varno
