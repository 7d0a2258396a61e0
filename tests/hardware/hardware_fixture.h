// A machine with RAM, both CIAs and the custom chips attached the way the
// machine builds them, the song record it plays, and bus-style access to the
// device handlers.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>

#include "cpu/cpu.h"
#include "hardware/cia.h"
#include "hardware/custom_chips.h"
#include "machine/amiga_machine.h"
#include "machine/cpu_context.h"
#include "session/song.h"

namespace varno::test {

class HardwareFixture {
public:
    Song song;  // goes after the machine, which points at it
    AmigaMachine m;

    HardwareFixture() {
        m.lowMemory = std::make_unique<MemoryRegion>(kLowMemoryBase, kLowMemorySize);
        m.mainMemory = std::make_unique<MemoryRegion>(kMainMemoryBase, kMainMemorySize);
        m.ciaA = std::make_unique<CiaChip>();
        m.ciaA->header.base = kCiaABase;
        m.ciaA->owner = &m;
        m.ciaB = std::make_unique<CiaChip>();
        m.ciaB->header.base = kCiaBBase;
        m.ciaB->owner = &m;
        m.customChips = std::make_unique<CustomChips>();
        m.customChips->header.base = kCustomChipsBase;
        m.customChips->owner = &m;
        m.customChips->sampleMemory = m.mainMemory.get();
        resetCia(*m.ciaA);
        resetCia(*m.ciaB);
        resetCustomChips(*m.customChips);
        m.cpu = std::make_unique<CpuContext>();  // a processor for the chips' cycle count
        attachSong(m, song);
    }

    CpuState& registers() { return m.cpu->processor.cpuState; }

    CustomChips& chips() { return *m.customChips; }
    PaulaChannel& channel(int n) { return m.customChips->paulaChannels[n]; }

    // Custom-chip bus accesses.
    uint32_t readWord(uint32_t address) { return chipsHandlers().readWord(address, region(chipsHandlers())); }
    uint32_t readByte(uint32_t address) { return chipsHandlers().readByte(address, region(chipsHandlers())); }
    void writeWord(uint32_t address, uint16_t value) {
        chipsHandlers().writeWord(address, value, region(chipsHandlers()));
    }
    void writeByte(uint32_t address, uint8_t value) {
        chipsHandlers().writeByte(address, value, region(chipsHandlers()));
    }
    // A long write arrives as two word writes, high half first.
    void writeLong(uint32_t address, uint32_t value) {
        writeWord(address, uint16_t(value >> 16));
        writeWord(address + 2, uint16_t(value));
    }

    // CIA bus accesses; the handler set follows the address.
    RegionHandlers ciaHandlersAt(uint32_t address) {
        return ciaHandlers((address & 0xFFF000) == kCiaABase ? *m.ciaA : *m.ciaB);
    }
    uint32_t ciaReadByte(uint32_t a) { return ciaHandlersAt(a).readByte(a, region(ciaHandlersAt(a))); }
    uint32_t ciaReadWord(uint32_t a) { return ciaHandlersAt(a).readWord(a, region(ciaHandlersAt(a))); }
    void ciaWriteByte(uint32_t a, uint8_t v) { ciaHandlersAt(a).writeByte(a, v, region(ciaHandlersAt(a))); }
    void ciaWriteWord(uint32_t a, uint16_t v) { ciaHandlersAt(a).writeWord(a, v, region(ciaHandlersAt(a))); }

    // Places big-endian sample words in main memory.
    void placeWords(uint32_t address, std::initializer_list<uint16_t> words) {
        for (uint16_t w : words) {
            m.mainMemory->writeWord(address, w);
            address += 2;
        }
    }
    // Programs channel n (location, length, period, volume) through its registers.
    void program(int n, uint32_t location, uint16_t length, uint16_t period, uint16_t volume) {
        const uint32_t base = 0xDFF0A0 + 16 * uint32_t(n);
        writeLong(base, location);
        writeWord(base + 4, length);
        writeWord(base + 6, period);
        writeWord(base + 8, volume);
    }

private:
    RegionHandlers chipsHandlers() { return customChipsHandlers(*m.customChips); }
    // The record the bus hands a handler: it names the device.
    static BusRegion region(const RegionHandlers& h) {
        BusRegion r{};
        r.device = h.device;
        return r;
    }
};

} // namespace varno::test
