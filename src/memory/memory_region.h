// Blocks of emulated RAM and the heads of memory-mapped devices, with the checked
// host-side accessors every native piece of the machine uses on emulated memory.
//
// Emulated memory is kept as 16-bit words in host (little-endian) order: the 68000
// word at even address a is the host u16 at offset a, the byte at a lives at host
// offset a ^ 1, and a long is its high word followed by its low word.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>

#include "cpu/cpu.h"
#include "platform/zeroed_buffer.h"

static_assert(std::endian::native == std::endian::little, "emulated memory layout assumes a little-endian host");

namespace varno {

struct RegionHandlers {
    BusReadHandler readByte = nullptr;
    BusReadHandler readWord = nullptr;
    BusWriteHandler writeByte = nullptr;
    BusWriteHandler writeWord = nullptr;
    void* device = nullptr;  // handed to the handlers with every access
};

// Head of a memory-mapped device (custom chips, CIAs).
struct DeviceRegion {
    uint32_t base = 0;
    uint32_t size = 4096;
    RegionHandlers handlers;
};

// The host bytes of a region: a block of its own, or a stretch of a block that
// holds a neighbouring region too, so that regions adjacent on the bus are
// adjacent in host memory and the processor can take them as one.
class RegionBytes {
public:
    RegionBytes() = default;
    // The whole of block, or the part from offset on (the block is still freed whole).
    explicit RegionBytes(ZeroedBuffer<uint8_t> block, size_t offset = 0)
        : block_(std::move(block)), bytes_(block_.get() + offset) {}
    // Bytes inside a block that another region owns and outlives this one.
    static RegionBytes within(uint8_t* bytes) {
        RegionBytes r;
        r.bytes_ = bytes;
        return r;
    }
    uint8_t* get() const { return bytes_; }
    uint8_t& operator[](size_t i) const { return bytes_[i]; }

private:
    ZeroedBuffer<uint8_t> block_;
    uint8_t* bytes_ = nullptr;
};

struct MemoryRegion {
    uint32_t base = 0;
    uint32_t size = 0;
    RegionHandlers handlers;       // lowMemory's are installed by the OS environment
    uint32_t handledEnd = 0xFFFFFFFF; // word writes from here on need no handler
    RegionBytes data;              // pages a player never writes cost no resident memory
    uint32_t resetCursor = 0;      // cursor a module open returns to (end of the players)
    uint32_t markCursor = 0;       // cursor saved once a player has been started
    uint32_t cursor = 0;           // next free address (bump allocation)

    MemoryRegion() = default;
    MemoryRegion(uint32_t base, uint32_t size) : MemoryRegion(base, size, RegionBytes(zeroedBuffer<uint8_t>(size))) {}
    MemoryRegion(uint32_t base, uint32_t size, RegionBytes bytes)
        : base(base), size(size), data(std::move(bytes)), resetCursor(base), markCursor(base), cursor(base) {}

    // Bump allocation: the current cursor, advanced by bytes rounded up to even.
    // Returns 0 and leaves the cursor alone when the block would not fit below
    // the last keepFree bytes of the region.
    uint32_t allocate(uint32_t bytes, uint32_t keepFree = 0) {
        const uint64_t next = uint64_t(cursor) + bytes + (bytes & 1);
        if (cursor < base || next + keepFree > uint64_t(base) + size) return 0;
        const uint32_t block = cursor;
        cursor = uint32_t(next);
        return block;
    }
    // True when [address, address + length) lies wholly inside the region.
    bool contains(uint32_t address, uint32_t length = 1) const {
        return address >= base && length <= size && address - base <= size - length;
    }
    uint8_t* host(uint32_t address) const { return data.get() + (address - base); }

    uint8_t readByte(uint32_t address) const {
        return contains(address) ? data[(address - base) ^ 1] : 0;
    }
    uint16_t readWord(uint32_t address) const {
        if (!contains(address, 2)) return 0;
        uint16_t v;
        std::memcpy(&v, host(address), 2);
        return v;
    }
    uint32_t readLong(uint32_t address) const {
        if (!contains(address, 4)) return 0;
        uint16_t hi, lo;
        std::memcpy(&hi, host(address), 2);
        std::memcpy(&lo, host(address) + 2, 2);
        return (uint32_t(hi) << 16) | lo;
    }
    bool writeByte(uint32_t address, uint8_t v) {
        if (!contains(address)) return false;
        data[(address - base) ^ 1] = v;
        return true;
    }
    bool writeWord(uint32_t address, uint16_t v) {
        if (!contains(address, 2)) return false;
        std::memcpy(host(address), &v, 2);
        return true;
    }
    bool writeLong(uint32_t address, uint32_t v) {
        if (!contains(address, 4)) return false;
        uint16_t hi = uint16_t(v >> 16), lo = uint16_t(v);
        std::memcpy(host(address), &hi, 2);
        std::memcpy(host(address) + 2, &lo, 2);
        return true;
    }
    // Copies a 68000-order byte string in; nothing is written unless all of it fits.
    bool writeBytes(uint32_t address, const void* bytes, uint32_t length) {
        if (!contains(address, length)) return false;
        const auto* src = static_cast<const uint8_t*>(bytes);
        uint8_t* out = data.get();
        const uint32_t offset = address - base;
        uint32_t i = 0;
        if ((offset & 1) && length) out[offset ^ 1] = src[i++];
        // Whole words from here on, swapped: a file check places up to 128 KB this way.
        for (; i + 1 < length; i += 2) {
            out[offset + i] = src[i + 1];
            out[offset + i + 1] = src[i];
        }
        if (i < length) out[(offset + i) ^ 1] = src[i];
        return true;
    }
    bool readBytes(uint32_t address, void* bytes, uint32_t length) const {
        if (!contains(address, length)) return false;
        auto* dst = static_cast<uint8_t*>(bytes);
        for (uint32_t i = 0; i < length; ++i) dst[i] = data[(address - base + i) ^ 1];
        return true;
    }
    bool fill(uint32_t address, uint8_t value, uint32_t length) {
        if (!contains(address, length)) return false;
        // Between even ends the bytes are the host's own range, however each
        // word's two bytes are stored; only an odd end byte needs its place.
        uint32_t from = address - base;
        uint32_t to = from + length;
        if ((from & 1) && from < to) data[from++ ^ 1] = value;
        if ((to & 1) && from < to) data[--to ^ 1] = value;
        std::memset(data.get() + from, value, to - from);
        return true;
    }
    // Reads a NUL-terminated string of at most maxChars characters into out
    // (which holds maxChars + 1). Stops at the region's end; returns the length.
    size_t readString(uint32_t address, char* out, size_t maxChars) const {
        size_t n = 0;
        while (n < maxChars && contains(address + uint32_t(n))) {
            char c = char(data[(address + uint32_t(n) - base) ^ 1]);
            if (c == 0) break;
            out[n++] = c;
        }
        out[n] = 0;
        return n;
    }
    // Writes text with its terminator, only if all of it fits.
    bool writeString(uint32_t address, const char* text) {
        return writeBytes(address, text, uint32_t(std::strlen(text)) + 1);
    }
};

} // namespace varno
