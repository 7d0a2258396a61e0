// exec.library calls as replay routines use them.
#include "amigaos/exec_library.h"

#include <cstring>

#include "amigaos/cia_resource.h"
#include "amigaos/system.h"
#include "amigaos/text.h"
#include "hardware/cia.h"
#include "hardware/custom_chips.h"
#include "interface/player_interface.h"
#include "amigaos/deli_base.h"
#include "memory/memory_region.h"

namespace varno {

namespace {

constexpr uint32_t kSysBaseAddress = 4;
constexpr uint32_t kMaxNameChars = 31;
constexpr uint32_t kIntVertBlank = 5;
constexpr uint32_t kIntAudio0 = 7;
constexpr uint32_t kIntAudio3 = 10;
constexpr uint32_t kMemfPublicChip = 3;



} // namespace

const CExecLibrary::Call CExecLibrary::kCalls[] = {
    {-162, "SetIntVector", &CExecLibrary::setIntVector},
    {-168, "AddIntServer", &CExecLibrary::addIntServer},
    {-180, "Cause", &CExecLibrary::cause},
    {-198, "AllocMem", &CExecLibrary::allocMem},
    {-408, "OldOpenLibrary", &CExecLibrary::openLibrary},
    {-498, "OpenResource", &CExecLibrary::openResource},
    {-534, "TypeOfMem", &CExecLibrary::typeOfMem},
    {-552, "OpenLibrary", &CExecLibrary::openLibrary},
    // FreeMem (-210) and every other vector do nothing: memory is never freed.
};

CExecLibrary::CExecLibrary(const OsParts& parts)
    : CLibrary(parts, kNegativeSize, kPositiveSize, kPreviousEnd, "exec.library") {
    writeVectors();
    memory->writeLong(kSysBaseAddress, baseAddress());
    memory->writeWord(baseAddress() + kAttnFlags, 1);
    memory->writeByte(baseAddress() + kVBlankFrequency, 50);
    memory->writeByte(baseAddress() + kPowerSupplyFrequency, 50);
}

void CExecLibrary::dispatch(int16_t lvo) {
    for (const Call& call : kCalls)
        if (call.lvo == lvo) return (this->*call.run)();
}

// The four audio interrupts are the only ones a player may set; their servers
// are kept in the player-interface structure, where the audio logic finds them.
void CExecLibrary::setIntVector() {
    if (d0() < kIntAudio0 || d0() > kIntAudio3) {
        d0() = 1;
        return;
    }
    const CDeliBase& deli = *system->deliBase;
    memory->writeLong(deli.base + kDeliAudioVectors + 4 * (d0() - kIntAudio0), a1());
    d0() = 0;
}

// A vertical-blank server is paced by CIA-B timer A at the PAL frame rate.
void CExecLibrary::addIntServer() {
    if ((d0() & 0xFF) != kIntVertBlank) return;
    system->ciab->timerAInterrupt = a1();
    if (CiaChip* cia = parts.ciaB) {
        cia->ICR |= 0x01;
        cia->CRA |= 0x01;
        cia->TALO = kDefaultTimerLatch & 0xFF;
        cia->TAHI = kDefaultTimerLatch >> 8;
    }
    parts.owner->timerLatchWritten();
    d0() = 0;
}

// A software interrupt runs its server at once: as a subroutine when called from
// native code, as a level-7 interrupt through vector 29 when 68000 code is running.
void CExecLibrary::cause() {
    if (a1() != 0) parts.owner->causeSoftInterrupt(a1());
}

// Memory is handed out from mainMemory and never freed. A request that does not
// fit returns 0, as AmigaOS does, and touches nothing.
void CExecLibrary::allocMem() {
    MemoryRegion& main = *parts.mainMemory;
    const uint32_t size = d0();
    const uint32_t block = main.allocate(size, kCheckDataReserve);
    if (block) main.fill(block, 0, size);
    d0() = block;
}

void CExecLibrary::openResource() {
    char name[kMaxNameChars + 1];
    parts.mainMemory->readString(a1(), name, kMaxNameChars);
    const CSystem& sys = *system;
    if (equalsIgnoringCase(name, sys.ciaa->name()))
        d0() = sys.ciaa->baseAddress();
    else if (equalsIgnoringCase(name, sys.ciab->name()))
        d0() = sys.ciab->baseAddress();
    else
        d0() = 0;
}

void CExecLibrary::typeOfMem() { d0() = kMemfPublicChip; }

// Names must match exactly; the library's own open vector is never called.
void CExecLibrary::openLibrary() {
    char name[kMaxNameChars + 1];
    parts.mainMemory->readString(a1(), name, kMaxNameChars);
    const CSystem& sys = *system;
    d0() = 0;
    const CLibrary* const libraries[] = {this, sys.dos.get(), sys.graphics.get(), sys.varno.get()};
    for (const CLibrary* lib : libraries) {
        if (std::strcmp(name, lib->name()) == 0) {
            d0() = lib->baseAddress();
            return;
        }
    }
}

} // namespace varno
