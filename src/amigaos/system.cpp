// Building the OS environment and the low-memory handlers that turn a stub's
// write to a trap word into a native call.
#include "amigaos/system.h"
#include "memory/memory_region.h"

#include <algorithm>
#include <cstdio>


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

CSystem::CSystem(const OsParts& parts, const char* pluginDirectory) : memory(parts.lowMemory) {
    std::snprintf(this->pluginDirectory, sizeof this->pluginDirectory, "%s", pluginDirectory ? pluginDirectory : "");
    // Only word writes need a look: reads and byte writes are plain memory.
    memory->handlers = {nullptr, nullptr, nullptr, lowWriteWord, this};

    exec = std::make_unique<CExecLibrary>(parts);
    graphics = std::make_unique<CGraphicsLibrary>(parts, exec->endAddress());
    dos = std::make_unique<CDosLibrary>(parts, graphics->endAddress(), this->pluginDirectory);
    varno = std::make_unique<CVarnoLibrary>(parts, dos->endAddress());
    ciaa = std::make_unique<CCiaResource>(parts, varno->endAddress(), "ciaa.resource", parts.ciaA);
    ciab = std::make_unique<CCiaResource>(parts, ciaa->endAddress(), "ciab.resource", parts.ciaB);
    for (CLibrary* lib : {static_cast<CLibrary*>(exec.get()), static_cast<CLibrary*>(graphics.get()),
                          static_cast<CLibrary*>(dos.get()), static_cast<CLibrary*>(varno.get()),
                          static_cast<CLibrary*>(ciaa.get()), static_cast<CLibrary*>(ciab.get())})
        lib->system = this;
    deliBase = std::make_unique<CDeliBase>(parts, ciab->endAddress());
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
    deliBase->processor = processor;
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
    deliBase->listCount = 0;
    for (CCiaResource* resource : {ciaa.get(), ciab.get()}) resource->timerAInterrupt = resource->timerBInterrupt = 0;
}

} // namespace varno
