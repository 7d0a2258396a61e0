// Building the whole machine and returning it to its power-on state.
#include <cstdio>

#include "amigaos/system.h"
#include "machine/cpu_context.h"
#include "hardware/cia.h"
#include "hardware/custom_chips.h"
#include "machine/amiga_machine.h"

namespace varno {

namespace {

constexpr uint32_t kDeviceSize = 4096;

std::unique_ptr<CiaChip> makeCia(AmigaMachine& machine, uint32_t base) {
    auto cia = std::make_unique<CiaChip>();
    cia->header = DeviceRegion{base, kDeviceSize, ciaHandlers(*cia)};
    cia->owner = &machine;
    resetCia(*cia);
    return cia;
}

} // namespace

std::unique_ptr<AmigaMachine> createMachine(const HostTables* host, const char* pluginDirectory) {
    auto machine = std::make_unique<AmigaMachine>();
    AmigaMachine& m = *machine;
    m.host = host;

    // Low and main memory follow each other on the bus, and so in one host block:
    // the processor reaches both through one region (the stack lies in low memory,
    // a player's data in main memory).
    auto ram = zeroedBuffer<uint8_t>(kLowMemorySize + kMainMemorySize);
    uint8_t* lowBytes = ram.get();
    m.mainMemory = std::make_unique<MemoryRegion>(kMainMemoryBase, kMainMemorySize,
                                                  RegionBytes(std::move(ram), kLowMemorySize));
    m.lowMemory = std::make_unique<MemoryRegion>(kLowMemoryBase, kLowMemorySize, RegionBytes::within(lowBytes));

    m.ciaA = makeCia(m, kCiaABase);
    m.ciaB = makeCia(m, kCiaBBase);

    m.customChips = std::make_unique<CustomChips>();
    m.customChips->header = DeviceRegion{kCustomChipsBase, kDeviceSize, customChipsHandlers(*m.customChips)};
    m.customChips->sampleMemory = m.mainMemory.get();
    m.customChips->owner = &m;
    resetCustomChips(*m.customChips);

    m.system = std::make_unique<CSystem>(m.osParts(), pluginDirectory);
    m.cpu = createCpuContext(m);

    m.system->attachCpu(m.cpu.get(), m.cpu ? &m.cpu->processor : nullptr);
    std::snprintf(m.pluginDirectory, sizeof m.pluginDirectory, "%s", pluginDirectory ? pluginDirectory : "");
    return machine;
}

void AmigaMachine::reset() {
    if (cpu) resetCpuContext(*cpu);
    if (ciaA) resetCia(*ciaA);
    if (ciaB) resetCia(*ciaB);
    if (customChips) resetCustomChips(*customChips);
    if (mainMemory) mainMemory->cursor = mainMemory->resetCursor;
    if (system) system->resetForModule();
}

} // namespace varno
