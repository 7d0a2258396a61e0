// Hunk files built to hurt: absurd hunk counts and sizes, relocations that point
// outside their hunk or at hunks that do not exist. Each fails to load, quickly,
// with the cursor where it was and nothing written outside the memory it took.
#include <gtest/gtest.h>

#include <chrono>
#include <initializer_list>
#include <string>
#include <vector>

#include "amigaos/hunk_loader.h"
#include "memory/memory_region.h"
#include "session/module_session.h"

namespace varno {
namespace {

constexpr uint32_t kBase = 0x20000;
constexpr uint32_t kGuard = 0x100;  // bytes below the cursor that must stay as they were

std::vector<uint8_t> longs(std::initializer_list<uint32_t> values) {
    std::vector<uint8_t> bytes;
    for (uint32_t v : values)
        for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(uint8_t(v >> shift));
    return bytes;
}

// A custom module's first code hunk: entry, "DELIRIUM", tag list with CustomPlayer.
constexpr uint32_t kDeli = 0x44454C49, kRium = 0x5249554D, kCustomPlayer = 0x80004455;

struct Case {
    const char* what;
    std::vector<uint8_t> file;
};

const std::vector<Case>& cases() {
    static const std::vector<Case> all = {
        {"2^24 hunks declared", longs({0x3F3, 0, 0x1000000, 0, 0xFFFFFF, 1, 0x3E9, 1, 0x4E75, 0x3F2})},
        {"2^32-1 hunks declared", longs({0x3F3, 0, 0xFFFFFFFF, 0, 0, 1, 0x3E9, 1, 0x4E75, 0x3F2})},
        {"a hunk larger than memory", longs({0x3F3, 0, 1, 0, 0, 0xFFFFFF, 0x3E9, 1, 0x4E75, 0x3F2})},
        {"hunks together larger than memory",
         longs({0x3F3, 0, 3, 0, 2, 0x6000, 0x6000, 0x6000, 0x3E9, 1, 0x4E75, 0x3F2})},
        {"relocation beyond its hunk", longs({0x3F3, 0, 1, 0, 0, 2, 0x3E9, 2, 0, 0, 0x3EC, 1, 0, 8, 0, 0x3F2})},
        {"relocation far beyond its hunk",
         longs({0x3F3, 0, 1, 0, 0, 2, 0x3E9, 2, 0, 0, 0x3EC, 1, 0, 0xFFFFFFFC, 0, 0x3F2})},
        {"relocation across its hunk's end", longs({0x3F3, 0, 1, 0, 0, 2, 0x3E9, 2, 0, 0, 0x3EC, 1, 0, 6, 0, 0x3F2})},
        {"relocation to a hunk that does not exist",
         longs({0x3F3, 0, 1, 0, 0, 2, 0x3E9, 2, 0, 0, 0x3EC, 1, 1, 0, 0, 0x3F2})},
        {"relocation to hunk 2^32-1", longs({0x3F3, 0, 1, 0, 0, 2, 0x3E9, 2, 0, 0, 0x3EC, 1, 0xFFFFFFFF, 0, 0, 0x3F2})},
        {"2^32-1 relocations announced", longs({0x3F3, 0, 1, 0, 0, 2, 0x3E9, 2, 0, 0, 0x3EC, 0xFFFFFFFF, 0, 0})},
        {"relocation before any hunk", longs({0x3F3, 0, 1, 0, 0, 2, 0x3EC, 1, 0, 0, 0, 0x3E9, 2, 0, 0, 0x3F2})},
        {"more hunks than declared", longs({0x3F3, 0, 1, 0, 0, 1, 0x3E9, 1, 0x4E75, 0x3E9, 1, 0x4E75, 0x3F2})},
        {"hunk longer than its size entry", longs({0x3F3, 0, 1, 0, 0, 1, 0x3E9, 2, 0x4E75, 0, 0x3F2})},
        {"hunk cut short", longs({0x3F3, 0, 1, 0, 0, 4, 0x3E9, 4, 0x4E75})},
        {"skipped hunk claiming 2^32-1 longs", longs({0x3F3, 0, 1, 0, 0, 1, 0x3E9, 1, 0x4E75, 0x3F1, 0xFFFFFFFF})},
        {"symbols claiming 2^32-1 longs", longs({0x3F3, 0, 1, 0, 0, 1, 0x3E9, 1, 0x4E75, 0x3F0, 0xFFFFFFFF, 0})},
        {"a custom module with 2^24 hunks",
         longs({0x3F3, 0, 0x1000000, 0, 0, 4, 0x3E9, 4, 0x4E75, kDeli, kRium, 16, kCustomPlayer, 1, 0})},
    };
    return all;
}

TEST(HunkLimits, HostileFilesFailToLoadAndWriteNothingOutside) {
    MemoryRegion mem(kBase, 0x40000);
    for (const Case& c : cases()) {
        mem.fill(kBase, 0xA5, mem.size);
        mem.cursor = kBase + kGuard;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(loadExecutable(mem, c.file.data(), c.file.size()), 0u) << c.what;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << c.what;
        EXPECT_EQ(mem.cursor, kBase + kGuard) << c.what;
        for (uint32_t a = kBase; a < kBase + kGuard; ++a) ASSERT_EQ(mem.readByte(a), 0xA5) << c.what;
    }
}

// The custom-module test reads only what the file has, however far its counts point.
TEST(HunkLimits, CustomModuleTestStaysInsideTheFile) {
    for (const Case& c : cases()) {
        for (size_t cut = 0; cut <= c.file.size(); ++cut) {
            // A copy of exactly the cut length, so the sanitizer sees any read beyond it.
            const std::vector<uint8_t> part(c.file.begin(), c.file.begin() + std::ptrdiff_t(cut));
            (void)isCustomModule(part.data(), uint32_t(part.size()));
        }
    }
    const auto& custom = cases().back().file;
    EXPECT_FALSE(isCustomModule(custom.data(), uint32_t(custom.size())))
        << "its size table lies beyond the file, so its code hunk is never reached";
}

} // namespace
} // namespace varno
