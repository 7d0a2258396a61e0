// A slave player loaded from the archive (or a custom module): its tags, names
// and the format it plays.
#pragma once

#include <cstdint>

namespace varno {

struct AmigaMachine;

struct SlavePlayer {
    uint16_t flags = 0;
    const char* routineName = "";  // routine being run, for fault messages
    uint32_t dtTags[58] = {};
    uint32_t epTags[47] = {};
    AmigaMachine* machine = nullptr;
    uint32_t kind = 0;
    uint32_t entry = 0;
    char* creatorText = nullptr;
    char* fileName = nullptr;
    char* playerName = nullptr;
    char formatTitle[32] = {};
    char formatTag[8] = {};
    uint8_t channels = 4;
};

} // namespace varno
