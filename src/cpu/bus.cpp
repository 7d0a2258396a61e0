// The list walk behind the data-access fast paths: RAM regions are cached for the
// next access, device regions call their handlers, and accesses that run past the
// end of a region are split as the bus does it.
#include "cpu/bus.h"

namespace varno::cpu {
namespace {

const BusRegion* find(const BusRegion* list, uint32_t address) {
    if (!list) return nullptr;
    for (; list->first != kListEnd; ++list) {
        if (list->first <= address && address <= list->last) return list;
    }
    return nullptr;
}

// Caches a RAM region; `tail` is the number of bytes beyond the first that an
// access of the cache's kind needs.
void fill(RamCache& cache, const BusRegion& region, uint32_t tail) {
    uint32_t size = region.last - region.first + 1;
    cache.first = region.first;
    cache.limit = size > tail ? size - tail : 0;
    cache.longLimit = size > 3 ? size - 3 : 0;
    cache.base = region.hostBase;
}

uint16_t hostWord(const BusRegion& region, uint32_t address) {
    return load16(reinterpret_cast<uintptr_t>(region.hostBase + (address - region.first)));
}

} // namespace

void clearDataCaches(Processor& p) {
    p.rs.readByte = {};
    p.rs.readWord = {};
    p.rs.writeByte = {};
    p.rs.writeWord = {};
}

uint32_t readByteSlow(Processor& p, uint32_t address) {
    const BusRegion* region = find(p.cpuState.current.readByteMap, address);
    if (!region) return 0xFF;
    if (region->read) return region->read(address, *region) & 0xFF;
    if (!region->hostBase) return 0xFF;
    fill(p.rs.readByte, *region, 0);
    return region->hostBase[(address - region->first) ^ 1];
}

uint32_t readWordSlow(Processor& p, uint32_t address) {
    const BusRegion* region = find(p.cpuState.current.readWordMap, address);
    if (!region) return 0xFFFF;
    if (region->read) return region->read(address, *region) & 0xFFFF;
    if (!region->hostBase || region->last == address) return 0xFFFF;
    fill(p.rs.readWord, *region, 1);
    return hostWord(*region, address);
}

uint32_t readLongSlow(Processor& p, uint32_t address) {
    const BusRegion* region = find(p.cpuState.current.readWordMap, address);
    if (!region) return 0xFFFFFFFF;
    bool fits = address + 3 <= region->last;
    uint32_t high;
    if (region->read) {
        high = region->read(address, *region) & 0xFFFF;
        if (fits) return high << 16 | (region->read(address + 2, *region) & 0xFFFF);
    } else {
        if (!region->hostBase || region->last == address) return 0xFFFFFFFF;
        fill(p.rs.readWord, *region, 1);
        high = hostWord(*region, address);
        if (fits) return high << 16 | hostWord(*region, address + 2);
    }
    return high << 16 | readWord(p, address + 2);
}

void writeByteSlow(Processor& p, uint32_t address, uint32_t value) {
    const BusRegion* region = find(p.cpuState.current.writeByteMap, address);
    if (!region) return;
    if (region->write) {
        region->write(address, value & 0xFF, *region);
        return;
    }
    if (!region->hostBase) return;
    fill(p.rs.writeByte, *region, 0);
    region->hostBase[(address - region->first) ^ 1] = static_cast<uint8_t>(value);
}

void writeWordSlow(Processor& p, uint32_t address, uint32_t value) {
    const BusRegion* region = find(p.cpuState.current.writeWordMap, address);
    if (!region) return;
    if (region->write) {
        region->write(address, value & 0xFFFF, *region);
        return;
    }
    if (!region->hostBase || region->last == address) return;
    fill(p.rs.writeWord, *region, 1);
    store16(region->hostBase + (address - region->first), value);
}

void writeLongSlow(Processor& p, uint32_t address, uint32_t value) {
    const BusRegion* region = find(p.cpuState.current.writeWordMap, address);
    if (region) {
        bool fits = address + 3 <= region->last;
        if (region->write) {
            region->write(address, value >> 16, *region);
            if (fits) {
                region->write(address + 2, value & 0xFFFF, *region);
                return;
            }
        } else if (region->hostBase && region->last != address) {
            fill(p.rs.writeWord, *region, 1);
            store16(region->hostBase + (address - region->first), value >> 16);
            if (fits) {
                store16(region->hostBase + (address - region->first) + 2, value);
                return;
            }
        }
    }
    writeWord(p, address + 2, value & 0xFFFF);
}

} // namespace varno::cpu
