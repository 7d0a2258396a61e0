// The player-interface block handed to slave players in A5: the DeliTracker /
// EaglePlayer structure with its callbacks, buffers, vectors below the base, the
// timer Interrupt structure and the audio interrupt slots.
#pragma once

#include <cstdint>

namespace varno {

struct AmigaMachine;
struct MemoryRegion;
struct CpuContext;

// ---------------------------------------------------------------------------
// Offsets from the structure base B (68000 values).
// ---------------------------------------------------------------------------
constexpr uint32_t kDeliDosBase = 4;          // long
constexpr uint32_t kDeliGraphicsBase = 12;    // long
constexpr uint32_t kDeliDirectory = 24;       // long: address of the directory buffer
constexpr uint32_t kDeliFileName = 28;        // long: address of the file-name buffer
constexpr uint32_t kDeliPath = 32;            // long: address of the path buffer
constexpr uint32_t kDeliCheckData = 36;       // long: module data to check or play
constexpr uint32_t kDeliCheckSize = 40;       // long: its size
constexpr uint32_t kDeliSubsong = 44;         // word: current subsong
constexpr uint32_t kDeliVolume = 46;          // word, then left and right balance: 64 each
constexpr uint32_t kDeliTimer = 54;           // word: value the set-timer callback loads
constexpr uint32_t kDeliCallbacksFirst = 56;  // longs 56 .. 124 and 128 .. 180: callback entries
constexpr uint32_t kDeliCallbacksLast = 180;
constexpr uint32_t kDeliZeroAreaPointer = 268; // long: B + 554
constexpr uint32_t kDeliZeroArea = 554;        // 70 zero bytes
constexpr uint32_t kDeliPatchArgs = 290;       // 6 longs: code-patch arguments
constexpr uint32_t kDeliVoices = 326;          // word: enabled voices, bit n for channel n
constexpr uint32_t kDeliVoiceVolumes = 328;    // 4 words: volume of each channel
constexpr uint32_t kDeliInterrupt = 500;       // Interrupt structure for the player's timer
constexpr uint32_t kDeliInterruptName = 522;   // "VarnoTimer"
constexpr uint32_t kDeliAudioVectors = 538;    // 4 longs: Interrupt structures of audio channels 0-3
constexpr uint32_t kDeliStructureSize = 2160;  // structure and buffers, zero-filled

// Callback offsets (the long at B + offset is a JSR target).
constexpr int16_t kDeliListData = 56;
constexpr int16_t kDeliLoadFile = 60;
constexpr int16_t kDeliCopyDir = 64;
constexpr int16_t kDeliCopyFile = 68;
constexpr int16_t kDeliCopyString = 72;
constexpr int16_t kDeliSongEnd = 92;
constexpr int16_t kDeliSetTimer = 100;
constexpr int16_t kDeliLoadFileAgain = 144;
constexpr int16_t kDeliCodePatch = 176;
constexpr int16_t kDeliVectorZero = -96;       // the one vector below B that answers (D0 = 0)
constexpr int16_t kDeliLowestVector = -390;

// ---------------------------------------------------------------------------
// Layout from the header address H.
// ---------------------------------------------------------------------------
constexpr uint32_t kDeliHeaderText = 16;       // "Varno/DT/EP-API\0"
constexpr uint32_t kDeliBaseOffset = 406;      // B = H + 406
constexpr uint32_t kDeliDirectoryBuffer = 1030;
constexpr uint32_t kDeliFileBuffer = 1542;
constexpr uint32_t kDeliPathBuffer = 2054;
constexpr uint32_t kDeliBufferSize = 512;
constexpr uint32_t kDeliTrapOffset = 2566;     // T = H + 2566
constexpr uint32_t kDeliStubSize = 12;         // MOVE.W #off,T.l ; TST.L D0 ; RTS
constexpr uint32_t kDeliStubCount = 97;

class CDeliBase {
public:
    // Lays the block out after previousEnd and initialises the structure.
    CDeliBase(AmigaMachine& machine, uint32_t previousEnd);

    // Writes the structure back to its initial state (zeroes, buffer pointers,
    // defaults, callback entries, Interrupt structure); the library bases at 4
    // and 12 are the caller's.
    void initialise();
    // Native side of a callback or a vector below the base.
    void dispatch(int16_t offset);
    uint32_t endAddress() const { return stubCursor; }

    uint32_t headerAddress;
    uint32_t trapAddress;
    uint32_t stubStart;
    uint32_t stubCursor;
    uint32_t base;
    uint32_t pathBuffer;
    uint32_t fileBuffer;
    uint32_t directoryBuffer;
    AmigaMachine* machine;
    MemoryRegion* memory;      // lowMemory
    CpuContext* cpu = nullptr;

private:
    void listData();
    void loadFile();
    void appendToPath(const char* text);
    void setTimer();
    void codePatch();
};

} // namespace varno
