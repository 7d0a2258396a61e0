// Building a slave player's record from its header and tag list.
#include "players/slave_player.h"

#include <cctype>
#include <cstring>

#include "amigaos/deli_base.h"
#include "amigaos/system.h"
#include "amigaos/text.h"
#include "cpu/cpu.h"
#include "machine/amiga_machine.h"
#include "machine/cpu_context.h"
#include "machine/run_routine.h"
#include "players/format_names.h"
#include "players/tag_names.h"

namespace varno {

namespace {

// Texts read from a player are capped so that an unterminated one cannot run
// through the whole of memory.
constexpr size_t kMaxNameChars = 255;
constexpr size_t kMaxCreatorChars = 4095;
// Room the Creator text gets for the tabs that follow its line breaks: its
// buffer is 32 bytes longer than the text, the terminator included.
constexpr size_t kCreatorTabs = 31;

char* copyText(const char* text) {
    const size_t n = std::strlen(text);
    char* copy = new char[n + 1];
    std::memcpy(copy, text, n + 1);
    return copy;
}

char* readText(const MemoryRegion& memory, uint32_t address, size_t maxChars, size_t slack = 0) {
    char* text = new char[maxChars + 1];
    const size_t n = memory.readString(address, text, maxChars);
    char* sized = new char[n + 1 + slack];
    std::memcpy(sized, text, n + 1);
    delete[] text;
    return sized;
}

// Every line feed becomes a carriage return and a tab, so that continuation
// lines stay indented in the information window. The buffer holds capacity
// bytes; the conversion stops where a tab would no longer fit.
void indentLines(char* text, size_t capacity) {
    size_t length = std::strlen(text);
    for (size_t i = 0; i < length; ++i) {
        if (text[i] != '\n') continue;
        if (length + 2 > capacity) break;
        std::memmove(text + i + 2, text + i + 1, length - i);  // moves the terminator too
        text[i] = '\r';
        text[i + 1] = '\t';
        ++length;
        ++i;
    }
}

void readTags(SlavePlayer& p, const MemoryRegion& main, uint32_t list) {
    // A list without its terminating 0 ends at the end of memory (reads give 0).
    for (uint32_t a = list; main.contains(a, 8); a += 8) {
        const uint32_t id = main.readLong(a);
        if (id == 0) break;
        const uint32_t value = main.readLong(a + 4);
        if (id - kDtTagBase < uint32_t(kDtTagCount))
            p.dtTags[id - kDtTagBase] = value;
        else if (id - kEpTagBase < uint32_t(kEpTagCount))
            p.epTags[id - kEpTagBase] = value;
    }
}

void formatTagFromModuleInfo(SlavePlayer& p, const MemoryRegion& main, uint32_t list) {
    for (uint32_t a = list; main.contains(a, 8); a += 8) {
        const uint32_t tag = main.readLong(a);
        if (tag == 0) break;
        if (tag != MI_Prefix) continue;
        char text[8];
        main.readString(main.readLong(a + 4), text, 7);
        formatFromPrefix(text, p.formatTag);
        break;
    }
}

struct ChannelCount {
    const char* formatTitle;
    uint8_t channels;
};
constexpr ChannelCount kChannelCounts[] = {
    {"DigiBooster", 8}, {"TFMX 7V", 7},           {"Jochen Hippel 7V", 7},
    {"Mugician II", 7}, {"MED/OctaMED (8ch)", 8}, {"EMS v6", 32},
};

void copyBounded(char* out, size_t capacity, const char* text) {
    std::strncpy(out, text, capacity - 1);
    out[capacity - 1] = 0;
}

} // namespace

SlavePlayer::~SlavePlayer() {
    delete[] creatorText;
    delete[] fileName;
    delete[] playerName;
}

uint16_t readRamWord(const AmigaMachine& m, uint32_t address) {
    if (m.lowMemory && m.lowMemory->contains(address, 2)) return m.lowMemory->readWord(address);
    return m.mainMemory ? m.mainMemory->readWord(address) : 0;
}

bool formatFromPrefix(const char* text, char (&out)[8]) {
    const char* lastDot = std::strrchr(text, '.');
    if (!lastDot) return false;
    const char* from = text;
    size_t length = size_t(lastDot - text);
    if (lastDot == text) {  // the only dot leads: ".mod"
        from = text + 1;
        length = std::strlen(from);
    }
    if (length > 7) length = 7;
    for (size_t i = 0; i < length; ++i) out[i] = char(std::toupper(uint8_t(from[i])));
    out[length] = 0;
    return true;
}

uint32_t moduleInfoList(SlavePlayer& p) {
    if (p.epTags[EP_GetModuleInfo] != 0) {
        callEntry(p, epTagNames[EP_GetModuleInfo], p.epTags[EP_GetModuleInfo], nullptr, nullptr);
        return p.machine->cpu->processor.cpuState.a[0];
    }
    // NewModuleInfo names the long in which the player keeps its list.
    const uint32_t holder = p.epTags[EP_NewModuleInfo];
    return holder ? p.machine->mainMemory->readLong(holder) : 0;
}

uint32_t checkRoutine(const SlavePlayer& p) {
    if (p.epTags[EP_Check3]) return p.epTags[EP_Check3];
    if (p.dtTags[DTP_Check2]) return p.dtTags[DTP_Check2];
    return p.dtTags[DTP_Check1];
}

const char* checkRoutineName(const SlavePlayer& p) {
    if (p.epTags[EP_Check3]) return epTagNames[EP_Check3];
    return dtTagNames[p.dtTags[DTP_Check2] ? DTP_Check2 : DTP_Check1];
}

std::unique_ptr<SlavePlayer> createSlavePlayer(AmigaMachine& m, const char* fileName, uint32_t loadedAddress) {
    auto player = std::make_unique<SlavePlayer>();
    SlavePlayer& p = *player;
    const MemoryRegion& main = *m.mainMemory;
    p.machine = &m;
    p.entry = loadedAddress + 4;
    p.fileName = copyText(fileName ? fileName : "");

    char id[9] = {};
    main.readBytes(p.entry + 4, id, 8);
    if (std::strcmp(id, "DELIRIUM") == 0)
        p.kind = kPlayerDeliTracker;
    else if (std::strcmp(id, "EPPLAYER") == 0)
        p.kind = kPlayerEagle;
    else
        return player;

    readTags(p, main, main.readLong(p.entry + 12));
    if (p.dtTags[DTP_NotePlayer])
        p.kind = kPlayerNotePlayer;
    else if (p.epTags[EP_InitAmplifier])
        p.kind = kPlayerAmplifier;
    else if (p.dtTags[DTP_CustomPlayer])
        p.kind = kPlayerCustom;

    p.flags = uint16_t(p.dtTags[DTP_Flags]);
    if (p.flags != 0) {
        if (p.flags & 1) p.kind = kPlayerCustom;
    } else {
        p.flags = uint16_t(p.epTags[EP_Flags] >> 1);
    }

    if (p.dtTags[DTP_PlayerName]) p.playerName = readText(main, p.dtTags[DTP_PlayerName], kMaxNameChars);
    if (p.dtTags[DTP_Creator]) {
        p.creatorText = readText(main, p.dtTags[DTP_Creator], kMaxCreatorChars, kCreatorTabs);
        indentLines(p.creatorText, std::strlen(p.creatorText) + 1 + kCreatorTabs);
    }

    if (p.kind == kPlayerCustom) {
        copyBounded(p.formatTag, sizeof p.formatTag, "CUST");
    } else if (const uint32_t list = moduleInfoList(p)) {
        formatTagFromModuleInfo(p, main, list);
    }

    const uint32_t base = m.system->deliBase->base;
    if (p.dtTags[DTP_DeliBase]) m.mainMemory->writeLong(p.dtTags[DTP_DeliBase], base);
    if (p.epTags[EP_EagleBase]) m.mainMemory->writeLong(p.epTags[EP_EagleBase], base);
    if (p.dtTags[DTP_Config]) callEntry(p, "Config", p.dtTags[DTP_Config], nullptr, nullptr);

    if (!p.playerName) p.playerName = copyText("Custom Player");
    copyBounded(p.formatTitle, sizeof p.formatTitle, p.kind == kPlayerCustom ? "Custom Module" : p.playerName);
    for (const ChannelCount& row : kChannelCounts)
        if (equalsIgnoringCase(p.formatTitle, row.formatTitle)) p.channels = row.channels;
    applyFormatName(p.formatTitle, p.formatTag);
    return player;
}

uint32_t callEntry(SlavePlayer& player, const char* name, uint32_t address, uint32_t* d0Out, uint32_t* d1Out,
                   bool report) {
    AmigaMachine& machine = *player.machine;
    // Each call of a hung player would cost its whole bound again, and say so again.
    if (player.hung) return kRunTimedOut;
    nameFaultProcedure(*machine.cpu, player.formatTitle, name);
    CpuState& registers = machine.cpu->processor.cpuState;
    registers.pc = address;
    registers.a[5] = machine.system->deliBase->base;
    const uint32_t result = runRoutine(*machine.cpu, d0Out, d1Out, kRoutineCycleLimit, report);
    if (result == kRunTimedOut) player.hung = true;
    return result;
}

} // namespace varno
