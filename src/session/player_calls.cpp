// The wrappers that run a player's entry points and turn their results into
// the song's state.
#include "session/player_calls.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "amigaos/system.h"
#include "amigaos/text.h"
#include "cpu/cpu.h"
#include "machine/cpu_context.h"
#include "hardware/cia.h"
#include "hardware/custom_chips.h"
#include "interface/player_interface.h"
#include "machine/amiga_machine.h"
#include "session/song.h"
#include "machine/run_routine.h"
#include "amigaos/deli_base.h"
#include "players/player_archive.h"
#include "players/slave_player.h"
#include "players/tag_names.h"

namespace varno {

namespace {

constexpr uint32_t kMaxSubsong = uint32_t(kMaxSubsongs) - 1;

uint32_t deliBase(const AmigaMachine& m) { return m.system->deliBase->base; }

// Runs a DeliTracker entry point when the player has it. True when it ran and
// returned normally; d0 then holds its result.
bool callDt(SlavePlayer& p, int tag, uint32_t* d0 = nullptr, uint32_t* d1 = nullptr) {
    if (p.dtTags[tag] == 0) return false;
    return callEntry(p, dtTagNames[tag], p.dtTags[tag], d0, d1) == RUN_BUDGET_SPENT;
}

// A text of the module information as it is shown (amigaos/text.h), of at most
// maxChars characters, so that an unterminated one cannot run through memory.
constexpr size_t kMaxTitleChars = 63;
constexpr size_t kMaxNameChars = 127;
constexpr size_t kMaxFormatTitleChars = 31;
constexpr size_t kMaxCommentChars = 1023;

std::string readInfoText(const MemoryRegion& main, uint32_t address, size_t maxChars,
                         TextLines lines = TextLines::one) {
    char text[kMaxCommentChars + 1];
    const size_t n = main.readString(address, text, std::min(maxChars, kMaxCommentChars));
    return amigaText(std::string_view(text, n), lines);
}

// Each of the title's characters takes at most two bytes as UTF-8.
static_assert(sizeof Song::songTitle > 2 * kMaxTitleChars);

void readTitle(const MemoryRegion& main, uint32_t address, Song& song) {
    const std::string title = readInfoText(main, address, kMaxTitleChars);
    std::memcpy(song.songTitle, title.c_str(), title.size() + 1);
}

int32_t infoCount(uint32_t value) { return int32_t(std::min<uint32_t>(value, 0x7FFFFFFF)); }

void readModuleInfo(const AmigaMachine& m, Song& song, SlavePlayer& p) {
    const MemoryRegion& main = *m.mainMemory;
    SongInfo& info = song.songInfo;
    const uint32_t list = moduleInfoList(p);
    if (list == 0 || !main.contains(list, 8)) return;
    for (uint32_t a = list; main.contains(a, 8); a += 8) {
        const uint32_t tag = main.readLong(a);
        if (tag == 0) break;
        const uint32_t value = main.readLong(a + 4);
        if (tag == MI_Prefix) {
            char text[8];
            main.readString(value, text, 7);
            formatFromPrefix(text, song.formatName);
        } else if (tag == MI_SongName) {
            readTitle(main, value, song);
        } else if (tag == MI_AuthorName) {
            info.author = readInfoText(main, value, kMaxNameChars);
        } else if (tag == MI_Comment) {
            info.comment = readInfoText(main, value, kMaxCommentChars, TextLines::several);
        } else if (tag == MI_FormatTitle) {
            info.formatTitle = readInfoText(main, value, kMaxFormatTitleChars);
        } else if (tag == MI_Pattern) {
            info.patterns = infoCount(value);
        } else if (tag == MI_Length) {
            info.positions = infoCount(value);
        } else if (tag == MI_Voices) {
            if (value >= 1 && value <= uint32_t(SongInfo::kMaxVoices)) info.voices = int32_t(value);
        } else if (tag == MI_SampleName && info.sampleNames.size() < SongInfo::kMaxSampleNames) {
            info.sampleNames.push_back(readInfoText(main, value, kMaxNameChars));
        }
    }
}

void markRange(Song& song, uint32_t first, uint32_t last) {
    if (first > kMaxSubsong) first = kMaxSubsong;
    if (last > kMaxSubsong) last = kMaxSubsong;
    // A range that runs backwards is taken as its first subsong alone.
    if (last < first) last = first;
    song.firstSubsong = song.currentSubsong = first;
    song.lastSubsong = last;
    song.subsongCount = last - first + 1;
    for (uint32_t s = first; s <= last; ++s) song.subsongValid[s] = 1;
}

// NextSong steps the subsong word; probing stops when it no longer changes.
// A player that counts past 63 or goes round in a circle stops the probe after
// 64 steps; the subsongs seen until then are kept.
void probeNextSong(AmigaMachine& m, Song& song, SlavePlayer& p) {
    MemoryRegion& low = *m.lowMemory;
    const uint32_t word = deliBase(m) + kDeliSubsong;
    low.writeWord(word, 0);
    uint32_t highest = 0;
    for (int step = 0; step < kMaxSubsongs; ++step) {
        const uint16_t before = low.readWord(word);
        callDt(p, DTP_NextSong);
        const uint16_t after = low.readWord(word);
        if (after == before || after > kMaxSubsong) break;
        if (after > highest) highest = after;
    }
    markRange(song, 0, highest);
}

struct SavedModuleState {
    char directory[sizeof Song::moduleDirectory];
    char fileName[sizeof Song::moduleFileName];
    char path[sizeof Song::modulePath];
    char dosCurrent[sizeof CDosLibrary::currentDirectory];
    char dosSaved[sizeof CDosLibrary::savedDirectory];
    uint32_t checkData;
    uint32_t checkSize;
};

void copyPathsToDeliBase(AmigaMachine& m, const Song& song) {
    MemoryRegion& low = *m.lowMemory;
    const uint32_t base = deliBase(m);
    low.writeString(low.readLong(base + kDeliFileName), song.moduleFileName);
    low.writeString(low.readLong(base + kDeliDirectory), song.moduleDirectory);
    low.writeString(low.readLong(base + kDeliPath), song.modulePath);
}

} // namespace

void splitPath(AmigaMachine& m, Song& song, const char* path) {
    std::memset(song.moduleDirectory, 0, sizeof song.moduleDirectory);
    std::memset(song.moduleFileName, 0, sizeof song.moduleFileName);
    std::memset(song.modulePath, 0, sizeof song.modulePath);
    if (!path) path = "";
    size_t split = 0;
    for (size_t i = 0; path[i]; ++i)
        if (path[i] == '\\' || path[i] == '/' || path[i] == '|') split = i + 1;
    const size_t length = std::strlen(path);
    const size_t keep = sizeof song.modulePath - 1;
    std::memcpy(song.modulePath, path, length < keep ? length : keep);
    std::memcpy(song.moduleDirectory, path, split < keep ? split : keep);
    const size_t nameLength = length - split;
    std::memcpy(song.moduleFileName, path + split, nameLength < keep ? nameLength : keep);
    if (CDosLibrary* dos = m.system->dos.get()) {
        std::memset(dos->currentDirectory, 0, sizeof dos->currentDirectory);
        std::memset(dos->savedDirectory, 0, sizeof dos->savedDirectory);
    }
    copyPathsToDeliBase(m, song);
}

int32_t detectLoadedPlayer(AmigaMachine& m, Song& song) {
    song.playerIndex = kNoPlayer;
    PlayerArchive* archive = m.players.get();
    if (!archive) return -1;
    for (uint32_t i = 1; i < archive->count; ++i) {
        SlavePlayer* p = archive->player(i);
        if (!p || p->checkHung) continue;
        const uint32_t check = checkRoutine(*p);
        if (check == 0) continue;
        uint32_t d0 = ~0u;
        // A check that faulted or never returned has not recognised anything. A
        // folder of files must not bring one message per file: the first fault is
        // shown, and a check that hung (which would cost its whole bound at every
        // file) is not run again.
        const uint32_t result = callEntry(*p, checkRoutineName(*p), check, &d0, nullptr, !p->checkFaultShown);
        if (result != RUN_BUDGET_SPENT) {
            p->checkFaultShown = true;
            if (result == kRunTimedOut) p->checkHung = true;
            p->hung = false;  // only its check is given up, not the module it may be playing
            continue;
        }
        if (d0 == 0) {
            song.playerIndex = uint16_t(i);
            return int32_t(i);
        }
    }
    return -1;
}

int32_t detectPlayer(AmigaMachine& m, Song& song, const char* path, uint32_t fileSize, const uint8_t* data,
                     uint32_t dataSize) {
    // A file check may come while a module plays: what the open module's player
    // relies on (its paths, its data, its index) is put back afterwards.
    SavedModuleState saved;
    std::memcpy(saved.directory, song.moduleDirectory, sizeof saved.directory);
    std::memcpy(saved.fileName, song.moduleFileName, sizeof saved.fileName);
    std::memcpy(saved.path, song.modulePath, sizeof saved.path);
    CDosLibrary& dos = *m.system->dos;
    std::memcpy(saved.dosCurrent, dos.currentDirectory, sizeof saved.dosCurrent);
    std::memcpy(saved.dosSaved, dos.savedDirectory, sizeof saved.dosSaved);
    MemoryRegion& low = *m.lowMemory;
    const uint32_t base = deliBase(m);
    saved.checkData = low.readLong(base + kDeliCheckData);
    saved.checkSize = low.readLong(base + kDeliCheckSize);
    const uint16_t playerIndex = song.playerIndex;

    // With no module open, a check follows the catalogue as it loaded.
    if (song.playerIndex == kNoPlayer && m.players && m.players->imageTouched) restoreCatalogueImage(*m.players);
    int32_t found = -1;
    MemoryRegion& main = *m.mainMemory;
    // Above all the open module's player holds, also what it took after its set-up;
    // the memory is given back afterwards, so checks never eat into the player's.
    const uint32_t cursor = main.cursor;
    if (main.cursor < main.markCursor) main.cursor = main.markCursor;
    const uint32_t placed = !data ? 0 : dataSize < kCheckBufferSize ? dataSize : kCheckBufferSize;
    if (m.system->deliBase->place(data, placed, kPlaceCheckData) != 0) {
        low.writeLong(base + kDeliCheckSize, fileSize);
        splitPath(m, song, path);
        found = detectLoadedPlayer(m, song);
    }

    std::memcpy(song.moduleDirectory, saved.directory, sizeof saved.directory);
    std::memcpy(song.moduleFileName, saved.fileName, sizeof saved.fileName);
    std::memcpy(song.modulePath, saved.path, sizeof saved.path);
    std::memcpy(dos.currentDirectory, saved.dosCurrent, sizeof saved.dosCurrent);
    std::memcpy(dos.savedDirectory, saved.dosSaved, sizeof saved.dosSaved);
    copyPathsToDeliBase(m, song);
    low.writeLong(base + kDeliCheckData, saved.checkData);
    low.writeLong(base + kDeliCheckSize, saved.checkSize);
    song.playerIndex = playerIndex;
    main.cursor = cursor;
    return found;
}

bool initPlayer(AmigaMachine& m, Song& song, const char* path) {
    SlavePlayer* p = currentPlayer(m, song);
    if (!p) return false;
    splitPath(m, song, path);
    std::memset(song.songTitle, 0, sizeof song.songTitle);
    song.songInfo.clear();

    callDt(*p, DTP_Process);
    uint32_t d0 = 0;
    if (p->dtTags[DTP_ExtLoad] && (!callDt(*p, DTP_ExtLoad, &d0) || d0 != 0)) return false;
    if (p->dtTags[DTP_InitPlayer] && (!callDt(*p, DTP_InitPlayer, &d0) || d0 != 0)) return false;

    setVoices(m, song);
    readSubsongRange(m, song);
    MemoryRegion& main = *m.mainMemory;
    main.markCursor = main.cursor;

    if (p->dtTags[DTP_ModuleName]) readTitle(main, p->dtTags[DTP_ModuleName], song);
    std::memcpy(song.formatName, p->formatTag, sizeof song.formatName);
    song.formatName[sizeof song.formatName - 1] = 0;
    readModuleInfo(m, song, *p);
    // What the song does not say of itself, its player's format does.
    if (song.songInfo.voices < 0) song.songInfo.voices = p->channels;
    if (song.songInfo.formatTitle.empty()) song.songInfo.formatTitle = amigaText(p->formatTitle);
    return true;
}

void setVoices(AmigaMachine& m, const Song& song) {
    SlavePlayer* p = currentPlayer(m, song);
    if (!p) return;
    if (p->epTags[EP_Voices]) {
        m.cpu->processor.cpuState.d[0] = 15;  // all four channels on
        callEntry(*p, epTagNames[EP_Voices], p->epTags[EP_Voices], nullptr, nullptr);
    }
    callDt(*p, DTP_Volume);
    callDt(*p, DTP_Balance);
}

void readSubsongRange(AmigaMachine& m, Song& song) {
    std::memset(song.subsongValid, 0, sizeof song.subsongValid);
    for (float& seconds : song.subsongSeconds) seconds = 0;
    song.firstSubsong = song.lastSubsong = song.subsongCount = 0;
    SlavePlayer* p = currentPlayer(m, song);

    uint32_t d0 = 0, d1 = 0;
    if (p && p->dtTags[DTP_SubSongRange]) {
        callDt(*p, DTP_SubSongRange, &d0, &d1);
        markRange(song, d0, d1 & 0xFF);
    } else if (p && p->dtTags[DTP_NewSubSongRange]) {
        const uint32_t table = p->dtTags[DTP_NewSubSongRange];
        markRange(song, readRamWord(m, table + 2), readRamWord(m, table + 4));
    } else if (p && p->dtTags[DTP_NextSong]) {
        probeNextSong(m, song, *p);
    } else {
        song.subsongValid[0] = 1;
        song.subsongCount = 1;
    }
    song.totalSeconds = 0;
}

void startInterrupt(AmigaMachine& m, const Song& song) {
    SlavePlayer* p = currentPlayer(m, song);
    if (!p) return;
    if (p->dtTags[DTP_StartInt]) {
        callDt(*p, DTP_StartInt);
        writeDmacon(*m.customChips, 0x800F);
    } else if (p->dtTags[DTP_Interrupt]) {
        const uint32_t interrupt = deliBase(m) + kDeliInterrupt;
        m.lowMemory->writeLong(interrupt + kInterruptCode, p->dtTags[DTP_Interrupt]);
        m.system->ciab->timerAInterrupt = interrupt;
        m.ciaB->CRA |= 0x01;
        m.ciaB->ICR |= 0x01;
    }
}

void chooseTickSource(const AmigaMachine& m, Song& song) {
    song.timerCode = song.timerData = song.timerSource = 0;
    struct Timer {
        const CiaChip* cia;
        const CCiaResource* resource;
        bool timerA;
        uint32_t source;
    };
    const Timer timers[] = {
        {m.ciaB.get(), m.system->ciab.get(), true, 3},
        {m.ciaB.get(), m.system->ciab.get(), false, 4},
        {m.ciaA.get(), m.system->ciaa.get(), true, 1},
        {m.ciaA.get(), m.system->ciaa.get(), false, 2},
    };
    for (const Timer& t : timers) {
        const uint8_t control = t.timerA ? t.cia->CRA : t.cia->CRB;
        const uint8_t maskBit = t.timerA ? 0x01 : 0x02;
        if (!(control & 0x01) || !(t.cia->ICR & maskBit)) continue;
        const uint32_t interrupt = t.timerA ? t.resource->timerAInterrupt : t.resource->timerBInterrupt;
        const auto pointer = [&](uint32_t offset) {
            const uint32_t v = m.lowMemory->readLong(interrupt + offset);
            return v != 0 ? v : m.mainMemory->readLong(interrupt + offset);
        };
        song.timerCode = pointer(kInterruptCode);
        song.timerData = pointer(kInterruptData);
        song.timerSource = t.source;
        return;
    }
}

void endPlayer(AmigaMachine& m, const Song& song) {
    SlavePlayer* p = currentPlayer(m, song);
    if (!p) return;
    callDt(*p, DTP_StopInt);
    callDt(*p, DTP_EndSound);
    callDt(*p, DTP_EndPlayer);
}

} // namespace varno
