// The base of every emulated library and resource: its layout in low memory
// (name, vector table, base structure, trap word, call stubs) and the native
// dispatcher that a stub's write to the trap word reaches.
#pragma once

#include <cstdint>

#include "amigaos/os_machine.h"
#include "cpu/cpu.h"

namespace varno {

struct MemoryRegion;
struct CpuContext;
class CSystem;

constexpr uint8_t kNodeTypeLibrary = 9;
constexpr uint8_t kNodeTypeResource = 8;
constexpr uint8_t kNodeTypeInterrupt = 2;

// Library structure offsets (exec/libraries.h).
constexpr uint32_t kLibNodeType = 8;
constexpr uint32_t kLibNodeName = 10;
constexpr uint32_t kLibIdString = 24;

constexpr uint32_t kVectorSize = 6;   // JMP abs.l
constexpr uint32_t kLibStubSize = 10; // MOVE.W #lvo,trap.l ; RTS

// The address where an object following one that ends at previousEnd puts its
// name: 16-byte aligned, leaving at least 16 bytes of gap.
constexpr uint32_t alignedStart(uint32_t previousEnd) { return (previousEnd + 32) & 0x0FFFFFF0; }

class CLibrary {
public:
    // Lays the library out after previousEnd and writes the four standard
    // vectors -6 .. -24. Subclasses then call writeVectors().
    CLibrary(const OsParts& parts, uint32_t negativeSize, uint32_t positiveSize, uint32_t previousEnd,
             const char* name);
    virtual ~CLibrary() = default;
    CLibrary(const CLibrary&) = delete;
    CLibrary& operator=(const CLibrary&) = delete;

    uint32_t stubExtent() const { return stubCursor_ - baseAddress(); }
    virtual uint32_t negativeSize() const { return 24; }
    uint32_t totalSize() const { return negativeSize() + stubExtent() + 16; }
    uint32_t baseAddress() const { return base_; }
    uint32_t nameAddress() const { return nameAddress_; }
    uint32_t trapAddress() const { return trapAddress_; }
    virtual uint32_t positiveSize() const { return 34; }  // struct Library
    uint32_t endAddress() const { return stubCursor_; }

    // Native side of a call of vector `lvo`. Works on the calling processor's registers;
    // vectors it does not implement leave every register unchanged.
    virtual void dispatch(int16_t lvo) { (void)lvo; }

    const char* name() const { return name_; }
    uint32_t stubStart() const { return stubStart_; }

    OsParts parts;
    CSystem* system = nullptr;  // the environment the library belongs to, set by it
    MemoryRegion* memory;        // lowMemory
    CpuContext* cpu = nullptr;   // set once the machine has its CPU context
    Processor* processor = nullptr;  // the machine's processor, set with it

protected:
    // The registers of the machine's processor: arguments in, results out.
    CpuState& registers() const { return processor->cpuState; }
    uint32_t& d0() const { return registers().d[0]; }
    uint32_t d1() const { return registers().d[1]; }
    uint32_t d2() const { return registers().d[2]; }
    uint32_t d3() const { return registers().d[3]; }
    uint32_t a1() const { return registers().a[1]; }

    void writeVector(int16_t lvo);
    // Vectors -30 .. -negativeSize().
    void writeVectors();

private:
    const char* name_;
    uint32_t nameAddress_;
    uint32_t base_;
    uint32_t trapAddress_;
    uint32_t stubStart_;
    uint32_t stubCursor_;
};

// Resources are laid out and called like libraries.
class CResource : public CLibrary {
public:
    using CLibrary::CLibrary;
};

} // namespace varno
