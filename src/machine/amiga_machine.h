// The emulated Amiga: its RAM, devices, processor context, operating-system
// environment, player catalogue, the audio path (audio/audio_path.h), and the
// state of the song being played. One per process.
#pragma once

#include <cstdint>
#include <memory>

#include "audio/audio_path.h"
#include "amigaos/os_machine.h"
#include "interface/player_interface.h"
#include "platform/host_tables.h"
#include "memory/memory_region.h"
#include "machine/fault_sink.h"
#include "machine/settings.h"
#include "machine/song_info.h"

namespace varno {

struct CpuContext;
struct CustomChips;
struct CiaChip;
class CSystem;
struct PlayerArchive;
struct SlavePlayer;

constexpr uint32_t kLowMemoryBase = 0x000000;
constexpr uint32_t kLowMemorySize = 0x20000;
constexpr uint32_t kMainMemoryBase = 0x020000;
constexpr uint32_t kMainMemorySize = 0x5E0000;

constexpr uint16_t kNoPlayer = 0xFFFF;
constexpr int kMaxSubsongs = 64;

// The audio path is a record of its own (audio/audio_path.h) that the mixers see
// alone; the machine still carries it for the song being played.
struct AmigaMachine final : OsOwner, AudioPath {
    uint16_t playerIndex = kNoPlayer;
    uint32_t moduleAddress = 0;
    uint32_t moduleSize = 0;
    uint8_t songEndSignalled = 0;
    uint8_t silenceEnded = 0;
    bool tickFaulted = false;  // the last tick routine faulted: its message is shown, the song ends
    uint8_t soundHeard = 0;
    int32_t silentSamples = 0;
    char pluginDirectory[512] = {};
    char moduleDirectory[512] = {};
    char moduleFileName[512] = {};
    char modulePath[512] = {};
    char songTitle[64] = {};
    SongInfo songInfo;
    char formatName[8] = {};
    float elapsedSeconds = 0;
    float tickSeconds = 0;
    int32_t samplesPerTick = 0;
    const char* pluginDirectoryRef = nullptr;
    uint32_t subsongCount = 0;
    uint32_t currentSubsong = 0;
    uint32_t firstSubsong = 0;
    uint32_t lastSubsong = 0;
    float totalSeconds = 0;
    uint8_t subsongValid[kMaxSubsongs] = {};
    float subsongSeconds[kMaxSubsongs] = {};
    uint32_t timerCode = 0;
    uint32_t timerData = 0;
    uint32_t timerSource = 0; // 0 none, 1 CIA-A A, 2 CIA-A B, 3 CIA-B A, 4 CIA-B B
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

    AmigaMachine();
    ~AmigaMachine();
    AmigaMachine(const AmigaMachine&) = delete;
    AmigaMachine& operator=(const AmigaMachine&) = delete;

    // Back to the power-on state before a module is examined or opened.
    void reset();
    // channelPan from the stereo separation and surround settings.
    void updatePan();
    // tickSeconds and samplesPerTick from the latch of the timer named by timerSource.
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
    const char* directoryOfModule() const override { return moduleDirectory; }
    const char* fileNameOfModule() const override { return moduleFileName; }
    void signalSongEnd() override { songEndSignalled = 1; }
    // The parts the operating system works on.
    OsParts osParts();
};

// Builds the whole machine.
std::unique_ptr<AmigaMachine> createMachine(const HostTables* host, const char* pluginDirectory);

} // namespace varno
