// The emulated operating-system environment: exec, graphics, dos and varno
// libraries, the two CIA resources and the player-interface block, and the
// low-memory bus handlers through which 68000 code calls them.
#pragma once

#include <cstdint>
#include <memory>

#include "amigaos/cia_resource.h"
#include "amigaos/dos_library.h"
#include "amigaos/exec_library.h"
#include "amigaos/graphics_library.h"
#include "amigaos/deli_base.h"

namespace varno {

// Word and long writes below this address are dropped: the vectors and stubs
// there are write-protected against player code.
constexpr uint32_t kProtectedLowMemoryEnd = 0x150;

class CSystem {
public:
    // Builds every library and resource in low memory (exec at 0x1A0, then
    // graphics, dos, varno, ciaa, ciab, the player-interface block) and installs
    // lowMemory's handlers, which reach it through their region.
    CSystem(const OsParts& parts, const char* pluginDirectory);
    ~CSystem();
    CSystem(const CSystem&) = delete;
    CSystem& operator=(const CSystem&) = delete;

    // Hands the CPU context to the environment and every object in it.
    void attachCpu(CpuContext* context, Processor* processor);
    // Before a module is opened: the player-interface block back to its initial
    // state and the CIA timer interrupts forgotten.
    void resetForModule();

    std::unique_ptr<CDeliBase> deliBase;
    std::unique_ptr<CExecLibrary> exec;
    std::unique_ptr<CGraphicsLibrary> graphics;
    std::unique_ptr<CDosLibrary> dos;
    std::unique_ptr<CVarnoLibrary> varno;
    std::unique_ptr<CCiaResource> ciaa;
    std::unique_ptr<CCiaResource> ciab;
    CpuContext* cpu = nullptr;
    char pluginDirectory[512] = {};
    MemoryRegion* memory;   // lowMemory

private:
    void initialiseDeliBase();
};

} // namespace varno
