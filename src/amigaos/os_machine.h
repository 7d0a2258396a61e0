// What the emulated operating system works on and asks of the machine it runs in:
// the memory and chips it reaches directly, and the few things only the machine does.
#pragma once

#include <cstdint>

#include "hardware/device_owner.h"
#include "interface/player_interface.h"

namespace varno {

// The top of main memory that exec's AllocMem never hands out: a file check
// while a module plays places up to 128 KB of the file there (with the EASO
// block in front of EASO data), so a player that takes all it can get still
// leaves every other file checkable.
constexpr uint32_t kCheckDataReserve = kCheckWindow + 0x800;

struct CiaChip;
struct CustomChips;
struct MemoryRegion;
struct HostTables;

class OsOwner : public DeviceOwner {
public:
    // exec's Cause for the Interrupt structure at `interrupt`: its server runs at
    // once, as a subroutine when no 68000 code runs, else as a level-7 interrupt.
    virtual void causeSoftInterrupt(uint32_t interrupt) = 0;
    // The player interface's view of the module being played (the machine asks
    // the song it plays).
    virtual const char* directoryOfModule() const = 0;
    virtual const char* fileNameOfModule() const = 0;
    virtual void signalSongEnd() = 0;

protected:
    ~OsOwner() = default;
};

struct OsParts {
    MemoryRegion* lowMemory = nullptr;
    MemoryRegion* mainMemory = nullptr;
    CiaChip* ciaA = nullptr;
    CiaChip* ciaB = nullptr;
    CustomChips* customChips = nullptr;
    const HostTables* host = nullptr;  // the host's tables when the machine was built
    OsOwner* owner = nullptr;
};

} // namespace varno
