// The emulated Amiga: its RAM, devices, processor context and operating-system
// environment, the player catalogue it loads, and where its faults go. The song
// it plays is not part of it: the machine is given one (machine/played_song.h)
// and forwards to it what its devices and system ask about the module. A
// process may build any number of machines (the plugin's player and length
// scanner, each library module), each driven from one thread at a time.
#pragma once

#include <cstdint>
#include <memory>

#include "amigaos/os_machine.h"
#include "interface/player_interface.h"
#include "platform/host_tables.h"
#include "memory/memory_region.h"
#include "machine/fault_sink.h"
#include "machine/played_song.h"
#include "machine/settings.h"

namespace varno {

struct CpuContext;
struct CustomChips;
struct CiaChip;
class CSystem;
struct PlayerArchive;

constexpr uint32_t kLowMemoryBase = 0x000000;
constexpr uint32_t kLowMemorySize = 0x20000;
constexpr uint32_t kMainMemoryBase = 0x020000;
constexpr uint32_t kMainMemorySize = 0x5E0000;
static_assert(kLowMemoryBase + kLowMemorySize == kMainMemoryBase, "main memory follows low memory");

struct AmigaMachine final : OsOwner {
    char pluginDirectory[512] = {};  // where the player archive and the players' own files lie
    // The players; the machine holds them without knowing them (the pointer
    // carries its own deleter).
    std::shared_ptr<PlayerArchive> players;
    std::unique_ptr<MemoryRegion> lowMemory;
    std::unique_ptr<MemoryRegion> mainMemory;
    std::unique_ptr<CustomChips> customChips;
    std::unique_ptr<CpuContext> cpu;
    std::unique_ptr<CiaChip> ciaA;
    std::unique_ptr<CiaChip> ciaB;
    std::unique_ptr<CSystem> system;
    const HostTables* host = nullptr;
    FaultSink faultSink;  // unset: faults go to standard error
    // The settings this machine plays by: the plugin's, or a library module's own.
    const PluginSettings* settings = &pluginSettings;
    // The song being played (session/song.h), null until one is attached.
    PlayedSong* song = nullptr;

    AmigaMachine();
    ~AmigaMachine();
    AmigaMachine(const AmigaMachine&) = delete;
    AmigaMachine& operator=(const AmigaMachine&) = delete;

    // Back to the power-on state before a module is examined or opened.
    void reset();
    // Tells the song the length of its tick, from the latch of the timer that paces it.
    void updateTickLength();
    // Hands a fault's text to the sink.
    void reportFault(const std::string& text) const;

    // What the devices ask of the machine.
    uint16_t tickLatch() const override;
    void timerLatchWritten() override { updateTickLength(); }
    void deliverAudioInterrupt(CustomChips& chips, int channel) override; // machine/audio_interrupts.cpp
    uint32_t processorCycles() override;
    // What the operating system asks of it.
    void causeSoftInterrupt(uint32_t interrupt) override;  // machine/soft_interrupt.cpp
    const char* directoryOfModule() const override { return song ? song->directoryOfModule() : ""; }
    const char* fileNameOfModule() const override { return song ? song->fileNameOfModule() : ""; }
    void signalSongEnd() override {
        if (song) song->signalSongEnd();
    }
    // The parts the operating system works on.
    OsParts osParts();
};

// Builds the whole machine.
std::unique_ptr<AmigaMachine> createMachine(const HostTables* host, const char* pluginDirectory);

} // namespace varno
