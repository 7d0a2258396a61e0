// The processor's view of the machine: region lists, exception vectors and the
// stubs through which calls return and interrupt servers run.
#include "machine/cpu_context.h"

#include <cstddef>

#include "hardware/cia.h"
#include "hardware/custom_chips.h"
#include "machine/amiga_machine.h"

namespace varno {

namespace {

constexpr BusRegion kBusEnd{kListEnd, kListEnd, nullptr, nullptr, nullptr};
constexpr FetchRegion kFetchEnd{kListEnd, kListEnd, 0};

// One interrupt-server entry in the Amiga convention: A1 = server data,
// A0 = custom chip base, D1 = the third slot, A6 = SysBase, all registers kept.
void writeServerStub(MemoryRegion& low, uint32_t at, uint32_t slots, uint16_t lastWord) {
    const uint16_t s = uint16_t(slots);
    const uint16_t words[17] = {
        0x48E7, 0xFFFF,                 // MOVEM.L D0-D7/A0-A7,-(SP)
        0x2278, s,                      // MOVEA.L (s0).W,A1
        0x2A78, uint16_t(s + 4),        // MOVEA.L (s4).W,A5
        0x207C, 0x00DF, 0xF000,         // MOVEA.L #$DFF000,A0
        0x2238, uint16_t(s + 8),        // MOVE.L (s8).W,D1
        0x2C78, 0x0004,                 // MOVEA.L ($4).W,A6
        0x4E95,                         // JSR (A5)
        0x4CDF, 0xFFFF,                 // MOVEM.L (SP)+,D0-D7/A0-A7
        lastWord,                       // RTE or RTS
    };
    for (uint32_t i = 0; i < 17; ++i) low.writeWord(at + 2 * i, words[i]);
}

enum class Access { ReadByte, ReadWord, WriteByte, WriteWord };

// Whether next follows memory both on the bus and in host memory: the two can
// then be reached as one region.
bool adjacent(const MemoryRegion& memory, const MemoryRegion& next) {
    return uint64_t(memory.base) + memory.size == next.base && memory.data.get() + memory.size == next.data.get();
}

BusRegion handlerRecord(uint32_t base, uint32_t size, const RegionHandlers& h, Access kind) {
    BusRegion r{base, base + size - 1, nullptr, nullptr, nullptr, h.device};
    switch (kind) {
    case Access::ReadByte: r.read = h.readByte; break;
    case Access::ReadWord: r.read = h.readWord; break;
    case Access::WriteByte: r.write = h.writeByte; break;
    case Access::WriteWord: r.write = h.writeWord; break;
    }
    return r;
}

// One data list: lowMemory through its handlers (up to where it needs them),
// mainMemory directly, then the devices. A device without a handler of this kind
// stays unmapped rather than being taken for host memory.
void buildDataList(BusRegion (&list)[kDataListSize], const CpuContext& c, Access kind) {
    size_t n = 0;
    const MemoryRegion& memory = *c.lowMemory;
    BusRegion low = handlerRecord(memory.base, memory.size, memory.handlers, kind);
    if (!low.read && !low.write) low.hostBase = memory.data.get();
    if (low.write && memory.handledEnd > memory.base && memory.handledEnd - memory.base < memory.size) {
        low.last = memory.handledEnd - 1;
        list[n++] = low;
        low = BusRegion{memory.handledEnd, memory.base + memory.size - 1, nullptr, nullptr,
                        memory.data.get() + (memory.handledEnd - memory.base)};
    }
    const MemoryRegion& main = *c.mainMemory;
    if (low.hostBase && adjacent(memory, main)) {
        low.last = main.base + main.size - 1;  // one RAM region on into main memory
        list[n++] = low;
    } else {
        list[n++] = low;
        list[n++] = BusRegion{main.base, main.base + main.size - 1, nullptr, nullptr, main.data.get()};
    }
    for (const DeviceRegion* d : {c.customChips, c.ciaA, c.ciaB}) {
        if (!d) continue;
        BusRegion r = handlerRecord(d->base, d->size, d->handlers, kind);
        if (r.read || r.write) list[n++] = r;
    }
    while (n < kDataListSize) list[n++] = kBusEnd;
}

} // namespace

std::unique_ptr<CpuContext> createCpuContext(AmigaMachine& machine) {
    if (!machine.lowMemory || !machine.mainMemory) return nullptr;
    auto ctx = std::make_unique<CpuContext>();
    CpuContext& c = *ctx;
    c.lowMemory = machine.lowMemory.get();
    c.mainMemory = machine.mainMemory.get();
    c.ciaA = machine.ciaA ? &machine.ciaA->header : nullptr;
    c.ciaB = machine.ciaB ? &machine.ciaB->header : nullptr;
    c.customChips = machine.customChips ? &machine.customChips->header : nullptr;
    c.owner = &machine;

    c.fetchList[0] = {c.lowMemory->base, c.lowMemory->base + c.lowMemory->size - 1,
                      uintptr_t(c.lowMemory->data.get()) - c.lowMemory->base};
    c.fetchList[1] = {c.mainMemory->base, c.mainMemory->base + c.mainMemory->size - 1,
                      uintptr_t(c.mainMemory->data.get()) - c.mainMemory->base};
    c.fetchList[2] = kFetchEnd;
    if (adjacent(*c.lowMemory, *c.mainMemory)) {
        c.fetchList[0].last = c.fetchList[1].last;
        c.fetchList[1] = kFetchEnd;
    }

    buildDataList(c.byteReadList, c, Access::ReadByte);
    buildDataList(c.wordReadList, c, Access::ReadWord);
    buildDataList(c.byteWriteList, c, Access::WriteByte);
    buildDataList(c.wordWriteList, c, Access::WriteWord);

    const MapSet maps{c.fetchList, c.byteReadList, c.wordReadList, c.byteWriteList, c.wordWriteList};
    CpuState& registers = c.processor.cpuState;
    registers.supervisor = maps;
    registers.user = maps;
    registers.current = maps;

    MemoryRegion& low = *c.lowMemory;
    low.writeWord(c.returnStub, 0x4EF9);  // JMP $F80000
    low.writeLong(c.returnStub + 2, kReturnTrap);
    writeServerStub(low, c.chipIntStub, kChipIntSlots, 0x4E73);
    writeServerStub(low, c.chipIntCallStub, kChipIntSlots, 0x4E75);
    writeServerStub(low, c.softIntStub, kSoftIntSlots, 0x4E73);
    writeServerStub(low, c.softIntCallStub, kSoftIntSlots, 0x4E75);

    // Every exception lands in the unmapped trap window, which ends the call;
    // only the two interrupt vectors lead to code.
    for (uint32_t vector = 2; vector <= 47; ++vector) low.writeLong(4 * vector, kReturnTrap + 4 * vector);
    low.writeLong(4 * kVectorChipInt, c.chipIntStub);
    low.writeLong(4 * kVectorSoftInt, c.softIntStub);

    resetCpuContext(c);
    return ctx;
}

void resetCpuContext(CpuContext& c) {
    c.busy = 0;
    c.inInterruptCall = 0;
    nameFaultProcedure(c, "", "");
    cpu::reset(c.processor);
    c.lowMemory->writeLong(c.stackTop, c.returnStub);
    c.processor.cpuState.a[7] = c.stackTop;
    c.processor.cpuState.pc = 8;
}

namespace {

// Names are set before every call into a player, a tick's included: a plain
// bounded copy, since formatting them showed in fast-forward's profile.
template <size_t N> void copyName(char (&to)[N], const char* from) {
    size_t i = 0;
    for (; from && from[i] && i + 1 < N; ++i) to[i] = from[i];
    to[i] = 0;
}

} // namespace

void nameFaultProcedure(CpuContext& cpu, const char* player, const char* routine) {
    copyName(cpu.faultPlayer, player);
    copyName(cpu.faultRoutine, routine);
}

} // namespace varno
