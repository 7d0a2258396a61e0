// Loading the slave players of xmp-varno.dat through the host's archive support.
#include <cstdio>
#include <cstring>
#include <vector>

#include "amigaos/hunk_loader.h"
#include "machine/amiga_machine.h"
#include "players/player_archive.h"

namespace varno {

namespace {

// Reads an archive entry; empty when it cannot be read, or would not fit into
// memory. Not reading such an entry also keeps a damaged size field from asking
// for gigabytes.
std::vector<uint8_t> readEntry(PlayerArchive& archive, const HostFileFunctions& files, const char* name) {
    std::vector<uint8_t> buffer;
    HostFile entry = files.openEntry(archive.archiveHandle, name, 0);
    if (!entry) return buffer;
    const uint32_t size = files.size(entry);
    if (size > 0 && size <= archive.machine->mainMemory->size) {
        buffer.resize(size);
        const uint32_t got = files.read(entry, buffer.data(), size);
        buffer.resize(got < size ? got : size);
    }
    files.close(entry);
    return buffer;
}

// Loads an Amiga executable as the catalogue's next player; nothing happens
// for anything else, for one larger than memory, or past the catalogue's size.
void addPlayer(PlayerArchive& archive, const char* name, const uint8_t* data, uint32_t size) {
    if (archive.count >= PlayerArchive::kMaxItems || size == 0 || size > archive.machine->mainMemory->size) return;
    const uint32_t address = loadExecutable(*archive.machine->mainMemory, data, size);
    if (address == 0) return;
    archive.items[archive.count] = createSlavePlayer(*archive.machine, name, address);
    ++archive.count;
}

// Marks the end of the players in memory and keeps the memory they leave.
void finishCatalogue(PlayerArchive& archive) {
    AmigaMachine& m = *archive.machine;
    MemoryRegion& main = *m.mainMemory;
    main.resetCursor = main.markCursor = main.cursor;
    const MemoryRegion& low = *m.lowMemory;
    archive.lowImage.assign(low.data.get(), low.data.get() + low.size);
    archive.playersImage.assign(main.data.get(), main.data.get() + (main.resetCursor - main.base));
}

PlayerArchive& emptyArchive(AmigaMachine& machine) {
    // In place before any player code runs: its callbacks reach the catalogue.
    machine.players = std::make_shared<PlayerArchive>();
    machine.players->machine = &machine;
    return *machine.players;
}

} // namespace

PlayerArchive& createPlayerArchive(AmigaMachine& machine, const char* pluginDirectory) {
    char path[sizeof PlayerArchive::archivePath];
    std::snprintf(path, sizeof path, "%s%s", pluginDirectory ? pluginDirectory : "", kArchiveName);
    return createPlayerArchiveAt(machine, path);
}

PlayerArchive& createPlayerArchiveAt(AmigaMachine& machine, const char* archivePath) {
    PlayerArchive& archive = emptyArchive(machine);
    std::snprintf(archive.archivePath, sizeof archive.archivePath, "%s", archivePath ? archivePath : "");
    loadCatalogue(archive);
    return archive;
}

PlayerArchive& createPlayerCatalogue(AmigaMachine& machine, const PlayerBytes* players, size_t count) {
    PlayerArchive& archive = emptyArchive(machine);
    for (size_t i = 0; i < count; ++i) addPlayer(archive, players[i].name, players[i].data, players[i].size);
    finishCatalogue(archive);
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
        const std::vector<uint8_t> bytes = readEntry(archive, *files, name);
        addPlayer(archive, name, bytes.data(), uint32_t(bytes.size()));
    }
    files->close(archive.archiveHandle);
    archive.archiveHandle = nullptr;
    finishCatalogue(archive);
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
