// A slave player loaded from the archive (or a custom module): its tags, names
// and the format it plays.
#pragma once

#include <cstdint>
#include <memory>

#include "machine/run_routine.h"
#include "players/tag_names.h"

namespace varno {

struct AmigaMachine;

struct SlavePlayer {
    uint16_t flags = 0;
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
    bool hung = false;             // a routine did not return in time (cleared at each open)
    bool checkHung = false;        // its check did not return in time: it is asked no more
    bool checkFaultShown = false;  // its check faulted once and said so; later faults are quiet

    SlavePlayer() = default;
    ~SlavePlayer();
    SlavePlayer(const SlavePlayer&) = delete;
    SlavePlayer& operator=(const SlavePlayer&) = delete;
};

// Player kinds, from its header and tags.
constexpr uint32_t kPlayerNoHeader = 0;
constexpr uint32_t kPlayerDeliTracker = 1;
constexpr uint32_t kPlayerEagle = 2;
constexpr uint32_t kPlayerNotePlayer = 3;
constexpr uint32_t kPlayerAmplifier = 4;
constexpr uint32_t kPlayerCustom = 5;

// Bit of the player's flags: it finds its song's end and signals it.
constexpr uint16_t kPlayerReportsSongEnd = 0x0002;


// Builds the record for the executable the loader placed at loadedAddress (its
// code starts 4 bytes later): reads the header and tag list, runs the player's
// GetModuleInfo and Config, hands it the player-interface base, and names its
// format. A file without a player header still gives a record, of kind 0.
std::unique_ptr<SlavePlayer> createSlavePlayer(AmigaMachine& machine, const char* fileName, uint32_t loadedAddress);

// The routine that recognises modules: EaglePlayer Check3, else Check2, else
// Check1; 0 when the player has none.
uint32_t checkRoutine(const SlavePlayer& player);
const char* checkRoutineName(const SlavePlayer& player);

// Short format name from a module-information prefix text: "mod.x" and ".mod"
// both give "MOD". False (and out untouched) for a text without a dot.
bool formatFromPrefix(const char* text, char (&out)[8]);

// The player's module-information tag list: what its GetModuleInfo returns in
// A0, else the long its NewModuleInfo names. 0 when it has none.
uint32_t moduleInfoList(SlavePlayer& player);

// Reads a word of emulated RAM wherever it lies (low or main memory); 0 outside.
uint16_t readRamWord(const AmigaMachine& machine, uint32_t address);

// Runs a player entry point: names it for fault messages, PC = address,
// A5 = the player-interface structure. A routine that did not return in time
// marks the player hung: its routines are not run again (the call answers
// kRunTimedOut at once, without a message) until the next module opens.
uint32_t callEntry(SlavePlayer& player, const char* name, uint32_t address, uint32_t* d0Out, uint32_t* d1Out,
                   bool report = true);

} // namespace varno
