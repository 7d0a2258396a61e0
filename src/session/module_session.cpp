// Opening and closing modules, and recognising them for the host.
#include "session/module_session.h"

#include <cstring>

#include "amigaos/hunk_loader.h"
#include "amigaos/system.h"
#include "machine/amiga_machine.h"
#include "session/song.h"
#include "session/frame_driver.h"
#include "session/player_calls.h"
#include "players/player_archive.h"
#include "players/slave_player.h"
#include "players/tag_names.h"

namespace varno {

namespace {

constexpr uint32_t kCustomPlayerTag = kDtTagBase + DTP_CustomPlayer;
constexpr uint32_t kFlagsTag = kDtTagBase + DTP_Flags;

uint32_t bigEndianLong(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

// Reads of a file that may be cut short anywhere; every read past the end fails.
struct FileReader {
    const uint8_t* data;
    uint32_t size;
    bool read(uint64_t offset, uint32_t& value) const {
        if (offset + 4 > size) return false;
        value = bigEndianLong(data + offset);
        return true;
    }
};

// After a close or a failed open nothing may be left to play.
void forgetPlayer(const AmigaMachine& m, Song& song) {
    if (m.players) {
        m.players->items[0].reset();
        // A player that hung with the last module gets its chance with the next.
        for (auto& player : m.players->items)
            if (player) player->hung = false;
    }
    song.playerIndex = kNoPlayer;
    song.timerCode = song.timerData = song.timerSource = 0;
    song.subsongCount = 0;
    // Subsong requests that arrive now find nothing to start.
    std::memset(song.subsongValid, 0, sizeof song.subsongValid);
}

// Loads the module, finds its player and sets it up.
bool startPlayer(AmigaMachine& m, Song& song, PlayerArchive& archive, const char* path, const uint8_t* data,
                 uint32_t size) {
    if (isCustomModule(data, size)) {
        const uint32_t loaded = loadExecutable(*m.mainMemory, data, size);
        if (loaded == 0) return false;
        archive.items[0] = createSlavePlayer(m, path, loaded);
        song.playerIndex = 0;
    } else {
        const uint32_t address = m.system->deliBase->place(data, size, kPlaceBoth);
        if (address == 0) return false;
        song.moduleAddress = address;
        song.moduleSize = size;
        splitPath(m, song, path);
        if (detectLoadedPlayer(m, song) < 0) return false;
    }
    return initPlayer(m, song, path);
}

} // namespace

PlayerArchive* ensureCatalogue(AmigaMachine& m) {
    if (!m.players) createPlayerArchive(m, m.pluginDirectory);
    return m.players.get();
}

bool isCustomModule(const uint8_t* data, uint32_t size) {
    if (!data) return false;
    const FileReader file{data, size};
    uint32_t word = 0;
    if (!file.read(0, word) || word != HUNK_HEADER) return false;
    uint32_t sizes = 0;
    if (!file.read(8, sizes)) return false;
    uint64_t at = 20 + 4 * uint64_t(sizes);

    // Find the first code hunk.
    for (;;) {
        uint32_t type = 0;
        if (!file.read(at, type)) return false;
        type &= 0x3FFFFFFF;
        if (type == HUNK_CODE) break;
        if (type == HUNK_END) return false;
        uint32_t length = 0;
        if (!file.read(at + 4, length)) return false;
        at += 8 + 4 * uint64_t(length);
    }
    uint32_t codeLength = 0;
    if (!file.read(at + 4, codeLength)) return false;
    const uint64_t code = at + 8;
    if (code + 16 > size || std::memcmp(data + code + 4, "DELIRIUM", 8) != 0) return false;

    uint32_t tagOffset = 0;
    if (!file.read(code + 12, tagOffset)) return false;
    for (uint64_t tag = code + tagOffset;; tag += 8) {
        uint32_t id = 0, value = 0;
        if (!file.read(tag, id) || id == 0 || !file.read(tag + 4, value)) return false;
        if (id == kCustomPlayerTag) return true;
        if (id == kFlagsTag && (value & 1)) return true;
    }
}

int32_t identifyModule(AmigaMachine& m, Song& song, const char* path, const uint8_t* data, uint32_t dataSize,
                       uint32_t fileSize) {
    ensureCatalogue(m);
    if (isCustomModule(data, dataSize)) return 0;
    return detectPlayer(m, song, path, fileSize, data, dataSize);
}

bool checkModule(AmigaMachine& m, Song& song, const char* path, const uint8_t* data, uint32_t dataSize,
                 uint32_t fileSize) {
    return identifyModule(m, song, path, data, dataSize, fileSize) >= 0;
}

bool openModule(AmigaMachine& m, Song& song, const char* path, const uint8_t* data, uint32_t size) {
    // A module opened without the previous one being closed leaves no host files open either.
    m.system->dos->closeOpenFiles();
    // The last module's player may have written over the system's tables or the
    // other players' code; every module starts from the catalogue as it loaded.
    if (m.players) restoreCatalogueImage(*m.players);
    m.reset();
    song.resetPlayback();
    PlayerArchive& archive = *ensureCatalogue(m);
    MemoryRegion& main = *m.mainMemory;
    main.markCursor = main.resetCursor;
    forgetPlayer(m, song);
    if (data && startPlayer(m, song, archive, path, data, size)) {
        startSubsong(m, song, 0, true);
        return true;
    }
    // Nothing of the failed module stays: not its player, nor its memory, nor
    // what its player overwrote.
    forgetPlayer(m, song);
    archive.imageTouched = true;
    main.cursor = main.markCursor = main.resetCursor;
    m.system->deliBase->listCount = 0;
    return false;
}

void closeModule(AmigaMachine& m, Song& song) {
    endPlayer(m, song);
    forgetPlayer(m, song);
    // Files checked from now on meet the players as they loaded (put back at the
    // next check: until then what the player left can still be looked at).
    if (m.players) m.players->imageTouched = true;
    m.system->dos->closeOpenFiles();
}

} // namespace varno
