// Loading hunk executables into emulated memory.
#include "amigaos/hunk_loader.h"

#include <vector>

#include "memory/memory_region.h"

namespace varno {

namespace {

constexpr uint32_t kIdMask = 0x00FFFFFF;         // memory flags live in the top bits
constexpr uint32_t kExtendedMemFlags = 0xC0000000; // both flags: a flags long follows (AmigaOS 2.0)

// Big-endian longs from the file; every read is checked against its end.
class LongReader {
public:
    LongReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool next(uint32_t& value) {
        if (size_ - pos_ < 4) return false;
        const uint8_t* p = data_ + pos_;
        value = uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
        pos_ += 4;
        return true;
    }
    bool skip(uint64_t longs) {
        if (remainingLongs() < longs) return false;
        pos_ += size_t(longs * 4);
        return true;
    }
    uint64_t remainingLongs() const { return (size_ - pos_) / 4; }
    bool atEnd() const { return pos_ >= size_; }
    const uint8_t* here() const { return data_ + pos_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

struct Block {
    uint32_t address;  // the block's marker; contents at + kSegmentHeader
    uint32_t bytes;    // room for contents, from the header's size table
};

uint32_t marker(uint32_t id) {
    switch (id) {
    case HUNK_CODE: return 0x43534547;  // "CSEG"
    case HUNK_DATA: return 0x44534547;  // "DSEG"
    default: return 0x42534547;         // "BSEG"
    }
}

class Loader {
public:
    Loader(MemoryRegion& memory, const uint8_t* file, size_t size) : mem_(memory), in_(file, size) {}

    uint32_t run() {
        uint32_t magic, residentNames, count, first, last;
        if (!in_.next(magic) || magic != HUNK_HEADER) return 0;
        if (!in_.next(residentNames) || residentNames != 0) return 0;
        if (!in_.next(count) || !in_.next(first) || !in_.next(last)) return 0;
        // Every hunk needs at least its size-table entry, which bounds the count.
        if (count == 0 || count > in_.remainingLongs()) return 0;
        if (!allocateBlocks(count) || !loadHunks()) return 0;
        return blocks_[0].address + kSegmentLink;
    }

private:
    bool allocateBlocks(uint32_t count) {
        blocks_.reserve(count);
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t entry, flags;
            if (!in_.next(entry)) return false;
            if ((entry & kExtendedMemFlags) == kExtendedMemFlags && !in_.next(flags)) return false;
            const uint32_t bytes = (entry & kIdMask) * 4;
            const uint32_t address = mem_.allocate(bytes + kSegmentHeader);
            if (address == 0) return false;
            // Room the file does not fill reads as zero, as under AmigaOS.
            mem_.fill(address, 0, bytes + kSegmentHeader);
            blocks_.push_back({address, bytes});
        }
        return true;
    }

    bool loadHunks() {
        while (!in_.atEnd()) {
            uint32_t id;
            if (!in_.next(id)) return false;
            switch (id & kIdMask) {
            case HUNK_CODE:
            case HUNK_DATA:
            case HUNK_BSS:
                if (!loadSegment(id & kIdMask)) return false;
                break;
            case HUNK_RELOC32:
                if (!relocate()) return false;
                break;
            case HUNK_SYMBOL:
                if (!skipSymbols()) return false;
                break;
            case HUNK_END: break;
            default: {
                uint32_t longs;
                if (!in_.next(longs) || !in_.skip(longs)) return false;
            }
            }
        }
        return true;
    }

    // A hunk beyond the declared count or longer than its block has nowhere to go.
    bool loadSegment(uint32_t id) {
        uint32_t longs;
        if (!in_.next(longs) || current_ >= blocks_.size()) return false;
        const uint64_t bytes = uint64_t(longs & kIdMask) * 4;
        const Block& block = blocks_[current_];
        if (bytes > block.bytes) return false;
        const uint32_t next = current_ + 1 < blocks_.size() ? (blocks_[current_ + 1].address + kSegmentLink) / 4 : 0;
        mem_.writeLong(block.address, marker(id));
        mem_.writeLong(block.address + 4, uint32_t(bytes) + 8);
        mem_.writeLong(block.address + kSegmentLink, next);
        if (id != HUNK_BSS) {
            if (in_.remainingLongs() < bytes / 4) return false;
            mem_.writeBytes(block.address + kSegmentHeader, in_.here(), uint32_t(bytes));
            in_.skip(bytes / 4);
        }
        ++current_;
        return true;
    }

    // Applies to the block filled last; every offset must name a long inside it
    // and every target hunk must exist.
    bool relocate() {
        if (current_ == 0) return false;
        const Block& block = blocks_[current_ - 1];
        for (;;) {
            uint32_t offsets, target;
            if (!in_.next(offsets)) return false;
            if (offsets == 0) return true;
            if (!in_.next(target) || target >= blocks_.size()) return false;
            const uint32_t delta = blocks_[target].address + kSegmentHeader;
            for (uint32_t k = 0; k < offsets; ++k) {
                uint32_t offset;
                if (!in_.next(offset)) return false;
                if (block.bytes < 4 || offset > block.bytes - 4) return false;
                const uint32_t at = block.address + kSegmentHeader + offset;
                uint8_t b[4] = {};
                mem_.readBytes(at, b, 4);
                uint32_t value = uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
                value += delta;
                const uint8_t out[4] = {uint8_t(value >> 24), uint8_t(value >> 16), uint8_t(value >> 8),
                                        uint8_t(value)};
                mem_.writeBytes(at, out, 4);
            }
        }
    }

    bool skipSymbols() {
        for (;;) {
            uint32_t nameLongs;
            if (!in_.next(nameLongs)) return false;
            if (nameLongs == 0) return true;
            if (!in_.skip(uint64_t(nameLongs) + 1)) return false;  // name, then value
        }
    }

    MemoryRegion& mem_;
    LongReader in_;
    std::vector<Block> blocks_;
    uint32_t current_ = 0;
};

} // namespace

uint32_t loadExecutable(MemoryRegion& memory, const uint8_t* file, size_t size) {
    if (!file) return 0;
    const uint32_t saved = memory.cursor;
    // Segment lists are BCPL pointers (address / 4): the link fields must lie on
    // long boundaries, and every block is a whole number of longs after the first.
    memory.cursor = (memory.cursor + 3) & ~3u;
    const uint32_t result = Loader(memory, file, size).run();
    if (result == 0) memory.cursor = saved;
    return result;
}

} // namespace varno
