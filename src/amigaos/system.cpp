// Building the OS environment and the low-memory handlers that turn a stub's
// write to a trap word into a native call.
#include "amigaos/system.h"

#include <algorithm>
#include <cstdio>

#include "machine/amiga_machine.h"

namespace varno {

namespace {

// The trap hook. graphics.library's trap word is deliberately not tested: its
// calls store into it like an ordinary write and do nothing else.
void lowWriteWord(uint32_t address, uint32_t data, const BusRegion& region) {
    CSystem* sys = static_cast<CSystem*>(region.device);
    if (!sys) return;
    const int16_t lvo = int16_t(data);
    if (address == sys->deliBase->trapAddress) return sys->deliBase->dispatch(lvo);
    if (address == sys->ciaa->trapAddress()) return sys->ciaa->dispatch(lvo);
    if (address == sys->ciab->trapAddress()) return sys->ciab->dispatch(lvo);
    if (address == sys->exec->trapAddress()) return sys->exec->dispatch(lvo);
    if (address == sys->dos->trapAddress()) return sys->dos->dispatch(lvo);
    if (address == sys->varno->trapAddress()) return;  // varno.library has no calls
    if (address >= kProtectedLowMemoryEnd) sys->memory->writeWord(address, uint16_t(data));
}

} // namespace

CSystem::CSystem(AmigaMachine& machine, const char* pluginDirectory)
    : memory(machine.lowMemory.get()), machine(&machine) {
    std::snprintf(this->pluginDirectory, sizeof this->pluginDirectory, "%s", pluginDirectory ? pluginDirectory : "");
    // Only word writes need a look: reads and byte writes are plain memory.
    memory->handlers = {nullptr, nullptr, nullptr, lowWriteWord, this};

    exec = std::make_unique<CExecLibrary>(machine);
    graphics = std::make_unique<CGraphicsLibrary>(machine, exec->endAddress());
    dos = std::make_unique<CDosLibrary>(machine, graphics->endAddress(), this->pluginDirectory);
    varno = std::make_unique<CVarnoLibrary>(machine, dos->endAddress());
    ciaa = std::make_unique<CCiaResource>(machine, varno->endAddress(), "ciaa.resource", machine.ciaA.get());
    ciab = std::make_unique<CCiaResource>(machine, ciaa->endAddress(), "ciab.resource", machine.ciaB.get());
    deliBase = std::make_unique<CDeliBase>(machine, ciab->endAddress());
    initialiseDeliBase();
    // Word writes above the last trap word and the protected vectors are plain
    // memory too; the stack lives there.
    uint32_t end = kProtectedLowMemoryEnd;
    for (uint32_t trap : {deliBase->trapAddress, ciaa->trapAddress(), ciab->trapAddress(), exec->trapAddress(),
                          dos->trapAddress(), varno->trapAddress()})
        end = std::max(end, trap + 2);
    memory->handledEnd = end;
}

CSystem::~CSystem() = default;

void CSystem::attachCpu(CpuContext* context, Processor* processor) {
    cpu = context;
    deliBase->cpu = context;
    CLibrary* const libraries[] = {exec.get(), graphics.get(), dos.get(), varno.get(), ciaa.get(), ciab.get()};
    for (CLibrary* lib : libraries) {
        lib->cpu = context;
        lib->processor = processor;
    }
}

void CSystem::initialiseDeliBase() {
    deliBase->initialise();
    memory->writeLong(deliBase->base + kDeliDosBase, dos->baseAddress());
    memory->writeLong(deliBase->base + kDeliGraphicsBase, graphics->baseAddress());
}

void CSystem::resetForModule() {
    initialiseDeliBase();
    for (CCiaResource* resource : {ciaa.get(), ciab.get()}) resource->timerAInterrupt = resource->timerBInterrupt = 0;
}

} // namespace varno
