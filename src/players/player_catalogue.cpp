// Loading the slave players of xmp-varno.dat through the host's archive support.
#include <cstdio>
#include <cstring>
#include <vector>

#include "amigaos/hunk_loader.h"
#include "machine/amiga_machine.h"
#include "players/player_archive.h"

namespace varno {

namespace {

// Returns the address the loader gives the entry, or 0 when it is not an Amiga
// executable (or cannot be read, or would not fit into memory).
uint32_t loadEntry(PlayerArchive& archive, const HostFileFunctions& files, const char* name) {
    MemoryRegion& main = *archive.machine->mainMemory;
    HostFile entry = files.openEntry(archive.archiveHandle, name, 0);
    if (!entry) return 0;
    uint32_t address = 0;
    const uint32_t size = files.size(entry);
    // An entry larger than the free memory can never load; not reading it also
    // keeps a damaged size field from asking for gigabytes.
    if (size > 0 && size <= main.size) {
        std::vector<uint8_t> buffer(size);
        const uint32_t got = files.read(entry, buffer.data(), size);
        address = loadExecutable(main, buffer.data(), got < size ? got : size);
    }
    files.close(entry);
    return address;
}

} // namespace

PlayerArchive& createPlayerArchive(AmigaMachine& machine, const char* pluginDirectory) {
    char path[sizeof PlayerArchive::archivePath];
    std::snprintf(path, sizeof path, "%s%s", pluginDirectory ? pluginDirectory : "", kArchiveName);
    return createPlayerArchiveAt(machine, path);
}

PlayerArchive& createPlayerArchiveAt(AmigaMachine& machine, const char* archivePath) {
    // In place before any player code runs: its callbacks reach the catalogue.
    machine.players = std::make_unique<PlayerArchive>();
    PlayerArchive& archive = *machine.players;
    archive.machine = &machine;
    std::snprintf(archive.archivePath, sizeof archive.archivePath, "%s", archivePath ? archivePath : "");
    loadCatalogue(archive);
    return archive;
}

bool loadCatalogue(PlayerArchive& archive) {
    AmigaMachine& m = *archive.machine;
    archive.count = 1;
    const HostFileFunctions* files = m.host ? m.host->fileFunctions : nullptr;
    const bool usable = files && files->open && files->close && files->listEntries && files->openEntry &&
                        files->size && files->read;
    archive.archiveHandle = usable ? files->open(archive.archivePath) : nullptr;
    const char* names = archive.archiveHandle ? files->listEntries(archive.archiveHandle) : nullptr;
    if (!names) {
        if (archive.archiveHandle) files->close(archive.archiveHandle);
        archive.archiveHandle = nullptr;
        m.reportFault(kNoPlayersMessage);
        return false;
    }

    for (const char* name = names; *name; name += std::strlen(name) + 1) {
        if (archive.count >= PlayerArchive::kMaxItems) break;  // further entries are ignored
        const uint32_t address = loadEntry(archive, *files, name);
        if (address == 0) continue;
        archive.items[archive.count] = createSlavePlayer(m, name, address);
        ++archive.count;
    }
    files->close(archive.archiveHandle);
    archive.archiveHandle = nullptr;

    MemoryRegion& main = *m.mainMemory;
    main.resetCursor = main.markCursor = main.cursor;
    const MemoryRegion& low = *m.lowMemory;
    archive.lowImage.assign(low.data.get(), low.data.get() + low.size);
    archive.playersImage.assign(main.data.get(), main.data.get() + (main.resetCursor - main.base));
    return true;
}

void restoreCatalogueImage(PlayerArchive& archive) {
    AmigaMachine& m = *archive.machine;
    archive.imageTouched = false;
    if (archive.lowImage.size() == m.lowMemory->size)
        std::memcpy(m.lowMemory->data.get(), archive.lowImage.data(), archive.lowImage.size());
    // An archive without players leaves nothing to put back (and no buffer to copy from).
    if (!archive.playersImage.empty() && archive.playersImage.size() <= m.mainMemory->size)
        std::memcpy(m.mainMemory->data.get(), archive.playersImage.data(), archive.playersImage.size());
}

} // namespace varno
