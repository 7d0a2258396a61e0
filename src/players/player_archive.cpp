// Placing files into emulated memory for the player-interface calls.
#include "players/player_archive.h"

#include "amigaos/system.h"
#include "machine/amiga_machine.h"
#include "players/deli_base.h"

namespace varno {

uint32_t placeFile(AmigaMachine& machine, const uint8_t* data, uint32_t size, uint32_t kind) {
    MemoryRegion& main = *machine.mainMemory;
    // EASO modules are to be placed behind a built-in replay block; until that
    // block exists they are placed as plain data like every other file.
    const uint32_t address = main.allocate(size);
    if (address == 0) return 0;
    main.writeBytes(address, data, size);

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
