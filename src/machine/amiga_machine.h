// The emulated Amiga: its RAM, devices, processor context, operating-system
// environment, player catalogue, every sample buffer of the audio path, and the
// state of the song being played. One per process.
#pragma once

#include <cstdint>
#include <memory>

#include "audio/amiga_output_state.h"
#include "hardware/device_owner.h"
#include "platform/host_tables.h"
#include "memory/memory_region.h"
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
// The top of main memory that exec's AllocMem never hands out: a file check
// while a module plays places up to 128 KB of the file there (with the EASO
// block in front of EASO data), so a player that takes all it can get still
// leaves every other file checkable.
constexpr uint32_t kCheckDataReserve = 0x20000 + 0x800;

constexpr uint32_t kChannelBufferFloats = 0x40000 / 4;   // one slot of channelBuffers
constexpr uint32_t kResampledFloats = 0x100000 / 4;
constexpr uint32_t kOutputHalfFloats = 0x100000 / 4;
constexpr uint32_t kSurroundDelayFloats = 0x20000 / 4;
constexpr uint32_t kMixFloats = 0x100000 / 4;
constexpr uint16_t kNoPlayer = 0xFFFF;
constexpr int kMaxSubsongs = 64;

struct AmigaMachine final : DeviceOwner {
    uint16_t playerIndex = kNoPlayer;
    uint32_t moduleAddress = 0;
    uint32_t moduleSize = 0;
    uint8_t songEndSignalled = 0;
    uint8_t silenceEnded = 0;
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
    std::unique_ptr<float[]> channelBuffers[4][3];
    int32_t channelCounts[4][3] = {};
    int32_t slotTickSamples[3] = {};
    uint8_t slotLedFilter[3] = {};   // per slot: the power LED (and LED filter) was on for that tick
    AmigaOutputState amigaOutput;    // interpolation 2 and 3: step carries and LED filter memory
    std::unique_ptr<float[]> resampledBuffers[4];
    std::unique_ptr<float[]> outputBuffers[2];
    int32_t outputFill[2] = {};
    uint32_t sampleRate = 48000;
    uint32_t outputChannels = 2;
    uint32_t framePeriodMs = 20;
    uint32_t frameSamples = 960;
    float surroundLevel = 1.0f;
    std::unique_ptr<float[]> surroundDelay[2];
    std::unique_ptr<float[]> mixBuffer;
    float channelPan[4][2] = {};
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
    std::unique_ptr<PlayerArchive> players;
    std::unique_ptr<MemoryRegion> lowMemory;
    std::unique_ptr<MemoryRegion> mainMemory;
    std::unique_ptr<CustomChips> customChips;
    std::unique_ptr<CpuContext> cpu;
    std::unique_ptr<CiaChip> ciaA;
    std::unique_ptr<CiaChip> ciaB;
    std::unique_ptr<CSystem> system;
    const HostTables* host = nullptr;

    AmigaMachine();
    ~AmigaMachine();
    AmigaMachine(const AmigaMachine&) = delete;
    AmigaMachine& operator=(const AmigaMachine&) = delete;

    // Back to the power-on state before a module is examined or opened.
    void reset();
    // channelPan from the stereo separation and surround settings.
    void updatePan();
    void updateFrameSamples();
    // tickSeconds and samplesPerTick from the latch of the timer named by timerSource.
    void updateTickLength();
    // The catalogue entry at playerIndex, or null.
    SlavePlayer* currentPlayer() const;

    // What the devices ask of the machine.
    uint16_t tickLatch() const override;
    void timerLatchWritten() override { updateTickLength(); }
    void deliverAudioInterrupt(CustomChips& chips, int channel) override; // machine/audio_interrupts.cpp
};

// Builds the whole machine; the process-wide device pointers then point into it.
std::unique_ptr<AmigaMachine> createMachine(const HostTables* host, const char* pluginDirectory);

} // namespace varno
