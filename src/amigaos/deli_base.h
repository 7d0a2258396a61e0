// The player-interface block handed to slave players in A5: the DeliTracker /
// EaglePlayer structure with its callbacks, buffers, vectors below the base, the
// timer Interrupt structure and the audio interrupt slots.
#pragma once

#include <cstdint>

#include "amigaos/os_machine.h"
#include "interface/player_interface.h"

namespace varno {

struct MemoryRegion;
struct Processor;

struct ListDataEntry {
    uint32_t address;
    uint32_t size;
};

// What CDeliBase::place does with the placed data (bits may be combined).
constexpr uint32_t kPlaceListData = 1;   // becomes the next list-data entry
constexpr uint32_t kPlaceCheckData = 2;  // becomes the data to check (DeliBase 36/40)
constexpr uint32_t kPlaceBoth = 3;

// ---------------------------------------------------------------------------
// Offsets from the structure base B, named as the players' header
// m68k/include/varno/delibase.h names them (the one source of their values).
// ---------------------------------------------------------------------------
constexpr uint32_t kDeliDosBase = dtg_DOSBase;           // long
constexpr uint32_t kDeliGraphicsBase = dtg_GfxBase;      // long
constexpr uint32_t kDeliDirectory = dtg_DirArrayPtr;     // long: address of the directory buffer
constexpr uint32_t kDeliFileName = dtg_FileArrayPtr;     // long: address of the file-name buffer
constexpr uint32_t kDeliPath = dtg_PathArrayPtr;         // long: address of the path buffer
constexpr uint32_t kDeliCheckData = dtg_ChkData;         // long: module data to check or play
constexpr uint32_t kDeliCheckSize = dtg_ChkSize;         // long: its size
constexpr uint32_t kDeliSubsong = dtg_SndNum;            // word: current subsong
constexpr uint32_t kDeliVolume = dtg_SndVol;             // word, then left and right balance: 64 each
constexpr uint32_t kDeliTimer = dtg_Timer;               // word: value the set-timer callback loads
constexpr uint32_t kDeliCallbacksFirst = dtg_GetListData; // longs 56 .. 124 and 128 .. 180: callback entries
constexpr uint32_t kDeliCallbacksLast = 180;
constexpr uint32_t kDeliZeroAreaPointer = dtg_ScratchPtr; // long: B + 554
constexpr uint32_t kDeliZeroArea = 554;                  // 70 zero bytes
constexpr uint32_t kDeliPatchArgs = dtg_PatchArgs;       // 6 longs: code-patch arguments
constexpr uint32_t kDeliVoices = dtg_Voices;             // word: enabled voices, bit n for channel n
constexpr uint32_t kDeliVoiceVolumes = dtg_Voice1Vol;    // 4 words: volume of each channel
constexpr uint32_t kDeliInterrupt = dtg_TimerInterrupt;  // Interrupt structure for the player's timer
constexpr uint32_t kDeliInterruptName = 522;             // "VarnoTimer"
constexpr uint32_t kDeliAudioVectors = dtg_AudioInterrupts; // 4 longs: Interrupt structures of audio channels 0-3
constexpr uint32_t kDeliStructureSize = 2160;            // structure and buffers, zero-filled

// Callback offsets (the long at B + offset is a JSR target).
constexpr int16_t kDeliListData = dtg_GetListData;
constexpr int16_t kDeliLoadFile = dtg_LoadFile;
constexpr int16_t kDeliCopyDir = dtg_CopyDir;
constexpr int16_t kDeliCopyFile = dtg_CopyFile;
constexpr int16_t kDeliCopyString = dtg_CopyString;
constexpr int16_t kDeliSongEnd = dtg_SongEnd;
constexpr int16_t kDeliSetTimer = dtg_SetTimer;
constexpr int16_t kDeliLoadFileAgain = dtg_LoadFile2;
constexpr int16_t kDeliCodePatch = dtg_PatchCode;
constexpr int16_t kDeliVectorZero = -96;                 // the one vector below B that answers (D0 = 0)
constexpr int16_t kDeliLowestVector = -390;

// ---------------------------------------------------------------------------
// Layout from the header address H.
// ---------------------------------------------------------------------------
constexpr uint32_t kDeliHeaderText = 16;                 // "Varno/DT/EP-API\0"
constexpr uint32_t kDeliBaseOffset = 406;                // B = H + 406
constexpr uint32_t kDeliDirectoryBuffer = 1030;
constexpr uint32_t kDeliFileBuffer = 1542;
constexpr uint32_t kDeliPathBuffer = 2054;
constexpr uint32_t kDeliBufferSize = 512;
constexpr uint32_t kDeliTrapOffset = 2566;               // T = H + 2566
constexpr uint32_t kDeliStubSize = 12;                   // MOVE.W #off,T.l ; TST.L D0 ; RTS
constexpr uint32_t kDeliStubCount = 97;

class CDeliBase {
public:
    // Lays the block out after previousEnd and initialises the structure.
    CDeliBase(const OsParts& parts, uint32_t previousEnd);

    // Writes the structure back to its initial state (zeroes, buffer pointers,
    // defaults, callback entries, Interrupt structure); the library bases at 4
    // and 12 are the caller's.
    void initialise();
    // Native side of a callback or a vector below the base.
    void dispatch(int16_t offset);
    uint32_t endAddress() const { return stubCursor; }
    // Copies host data into main memory at its cursor and records it as kind says.
    // Returns the emulated address, or 0 when the data does not fit (nothing is
    // written or recorded then). List-data entries beyond the 32nd are not recorded.
    uint32_t place(const uint8_t* data, uint32_t size, uint32_t kind);

    static constexpr uint32_t kMaxListData = 32;
    ListDataEntry listData[kMaxListData] = {};  // files placed for the player's list-data call
    uint32_t listCount = 0;

    uint32_t headerAddress;
    uint32_t trapAddress;
    uint32_t stubStart;
    uint32_t stubCursor;
    uint32_t base;
    uint32_t pathBuffer;
    uint32_t fileBuffer;
    uint32_t directoryBuffer;
    OsParts parts;
    MemoryRegion* memory;      // lowMemory
    Processor* processor = nullptr;  // the machine's, set once it has one

private:
    void answerListData();
    void loadFile();
    void appendToPath(const char* text);
    void setTimer();
    void codePatch();
};

} // namespace varno
