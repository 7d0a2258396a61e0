// The player-interface code-patch callback: replaces routines inside a player's
// or module's code by calls of the player's own replacements.
#include <algorithm>
#include <vector>

#include "amigaos/opcodes.h"
#include "memory/memory_region.h"
#include "amigaos/deli_base.h"

namespace varno {

namespace {

constexpr uint32_t kPatchArgCount = 5;
constexpr uint32_t kPatchMode = 1;
constexpr uint32_t kPatchEndMarker = 0xFFFFFFFE;  // -2
// Real patch tables hold a handful of entries; the bound keeps a garbage table
// from scanning memory for minutes.
constexpr int kMaxPatchEntries = 256;

struct PatchArgs {
    uint32_t count, start, length, table, mode, marker;
};

} // namespace

void CDeliBase::codePatch() {
    const uint32_t args = base + kDeliPatchArgs;
    const PatchArgs a{memory->readLong(args), memory->readLong(args + 4), memory->readLong(args + 8),
                      memory->readLong(args + 12), memory->readLong(args + 16), memory->readLong(args + 20)};
    if (a.count != kPatchArgCount || a.mode != kPatchMode || a.marker != kPatchEndMarker) {
        memory->writeLong(args + 4, 0);  // the failure signal
        return;
    }
    MemoryRegion& main = *parts.mainMemory;
    // Code and tables are word-aligned; an odd address cannot name 68000 code.
    if ((a.start | a.table) & 1) return;
    const uint64_t scanEnd = std::min<uint64_t>(uint64_t(a.start) + a.length, uint64_t(main.base) + main.size);

    std::vector<uint16_t> pattern;
    for (int entry = 0; entry < kMaxPatchEntries; ++entry) {
        const uint32_t row = a.table + 6 * uint32_t(entry);
        if (!main.contains(row, 6)) return;
        const int16_t patternOffset = int16_t(main.readWord(row));
        if (patternOffset == 0) return;
        const uint32_t words = uint32_t(main.readWord(row + 2)) + 1;
        const uint32_t patternAt = a.table + uint32_t(int32_t(patternOffset));
        const uint32_t replacement = a.table + uint32_t(int32_t(int16_t(main.readWord(row + 4))));
        if (!main.contains(patternAt, 2 * words)) continue;
        pattern.resize(words);
        for (uint32_t k = 0; k < words; ++k) pattern[k] = main.readWord(patternAt + 2 * k);

        const uint32_t n = 2 * words;
        uint64_t p = a.start;
        while (p < scanEnd) {
            const uint32_t at = uint32_t(p);
            bool match = main.contains(at, n);
            for (uint32_t k = 0; match && k < words; ++k) match = main.readWord(at + 2 * k) == pattern[k];
            if (!match) {
                p += 2;
                continue;
            }
            for (uint32_t k = 0; k < words; ++k) main.writeWord(at + 2 * k, kOpNop);
            // A one-word pattern is shorter than the JSR: it reaches past the match.
            main.writeWord(at, kOpJsrAbsLong);
            main.writeLong(at + 2, replacement);
            p += n;
        }
    }
}

} // namespace varno
