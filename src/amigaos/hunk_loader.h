// The loader for AmigaOS hunk executables: code, data and BSS hunks with 32-bit
// relocations, into a segment list in emulated main memory.
#pragma once

#include <cstddef>
#include <cstdint>

namespace varno {

struct MemoryRegion;

// Hunk ids (dos/doshunks.h), read with their memory flags (top 8 bits) cleared.
constexpr uint32_t HUNK_CODE = 0x3E9;
constexpr uint32_t HUNK_DATA = 0x3EA;
constexpr uint32_t HUNK_BSS = 0x3EB;
constexpr uint32_t HUNK_RELOC32 = 0x3EC;
constexpr uint32_t HUNK_SYMBOL = 0x3F0;
constexpr uint32_t HUNK_DEBUG = 0x3F1;
constexpr uint32_t HUNK_END = 0x3F2;
constexpr uint32_t HUNK_HEADER = 0x3F3;

// Each hunk gets a block: marker ("CSEG"/"DSEG"/"BSEG"), segment size (hunk
// bytes + 8), BCPL link to the next block's link field, then the contents.
constexpr uint32_t kSegmentHeader = 12;
constexpr uint32_t kSegmentLink = 8;

// Loads the executable at memory's cursor, rounded up to a long boundary so that
// the segment list can be given as a BCPL pointer. Returns the
// address of the first block's link field (its code starts 4 bytes later), or
// 0 when the file is not a loadable executable: wrong magic, resident-library
// names, truncated or inconsistent hunks, relocations outside their hunks, or
// not enough memory. On failure the cursor is back where it was and nothing
// outside the blocks it had taken was written.
uint32_t loadExecutable(MemoryRegion& memory, const uint8_t* file, size_t size);

} // namespace varno
