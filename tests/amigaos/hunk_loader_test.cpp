// The hunk executable loader: block layout, relocation, skipped hunks, and
// clean failure on malformed files.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <random>
#include <vector>

#include "amigaos/hunk_loader.h"
#include "memory/memory_region.h"

namespace varno {
namespace {

constexpr uint32_t kBase = 0x20000;

std::vector<uint8_t> hunkFile(std::initializer_list<uint32_t> longs) {
    std::vector<uint8_t> bytes;
    for (uint32_t v : longs)
        for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(uint8_t(v >> shift));
    return bytes;
}

struct LoaderTest : ::testing::Test {
    MemoryRegion mem{kBase, 0x10000};
    uint32_t load(const std::vector<uint8_t>& file) { return loadExecutable(mem, file.data(), file.size()); }
};

TEST_F(LoaderTest, OneCodeHunkMakesOneBlock) {
    const uint32_t seg = load(hunkFile({0x3F3, 0, 1, 0, 0, 2, 0x3E9, 2, 0x11223344, 0x55667788, 0x3F2}));
    ASSERT_EQ(seg, kBase + 8);
    EXPECT_EQ(mem.readLong(kBase), 0x43534547u);  // "CSEG"
    EXPECT_EQ(mem.readLong(kBase + 4), 16u);
    EXPECT_EQ(mem.readLong(kBase + 8), 0u);
    EXPECT_EQ(mem.readLong(kBase + 12), 0x11223344u);
    EXPECT_EQ(mem.readLong(kBase + 16), 0x55667788u);
    EXPECT_EQ(mem.cursor, kBase + 20);
}

TEST_F(LoaderTest, SegmentsStartOnALongBoundarySoTheirBcplPointerIsExact) {
    mem.cursor = kBase + 6;  // left so by an odd-sized module placed before
    const uint32_t seg = load(hunkFile({0x3F3, 0, 2, 0, 1, 1, 1, 0x3E9, 1, 0x4E754E75, 0x3EB, 1, 0x3F2}));
    ASSERT_EQ(seg, kBase + 8 + 8);
    EXPECT_EQ(seg % 4, 0u);
    EXPECT_EQ(mem.readLong(seg) * 4, kBase + 8 + 16 + 8) << "link to the second block, a long boundary too";
    EXPECT_EQ(mem.cursor, kBase + 8 + 16 + 16);
    mem.cursor = kBase + 6;
    EXPECT_EQ(load(hunkFile({0x3F3, 1})), 0u);
    EXPECT_EQ(mem.cursor, kBase + 6) << "a failed load leaves the cursor where it was";
}

TEST_F(LoaderTest, RelocationAddsTheTargetHunksAddress) {
    const uint32_t seg =
        load(hunkFile({0x3F3, 0, 1, 0, 0, 2, 0x3E9, 2, 0x4EF90000, 0x00000004, 0x3EC, 1, 0, 4, 0, 0x3F2}));
    ASSERT_EQ(seg, kBase + 8);
    EXPECT_EQ(mem.readLong(kBase + 16), 0x00000004u + kBase + 12);
    EXPECT_EQ(mem.readLong(kBase + 12), 0x4EF90000u);  // untouched
}

TEST_F(LoaderTest, TwoHunksAreLinkedAndRelocatedAcross) {
    // Code (3 longs) relocated against the data hunk, then data (1 long) and BSS (2 longs).
    const uint32_t seg = load(hunkFile({0x3F3, 0, 3, 0, 2, 3, 1, 2,
                                        0x3E9, 3, 0x41F90000, 0x00000000, 0x4E750000, 0x3EC, 1, 1, 2, 0, 0x3F2,
                                        0x3EA, 1, 0xCAFEBABE, 0x3F2,
                                        0x3EB, 2, 0x3F2}));
    ASSERT_EQ(seg, kBase + 8);
    const uint32_t block1 = kBase + 3 * 4 + 12, block2 = block1 + 1 * 4 + 12;
    EXPECT_EQ(mem.readLong(kBase + 8), (block1 + 8) / 4);
    EXPECT_EQ(mem.readLong(block1 + 8), (block2 + 8) / 4);
    EXPECT_EQ(mem.readLong(block2 + 8), 0u);
    EXPECT_EQ(mem.readLong(block1), 0x44534547u);  // "DSEG"
    EXPECT_EQ(mem.readLong(block2), 0x42534547u);  // "BSEG"
    EXPECT_EQ(mem.readLong(block2 + 4), 16u);
    // The long at code offset 2 (0x0000 0000 spanning words) gains block1 + 12.
    EXPECT_EQ(mem.readWord(kBase + 12 + 2), uint16_t((block1 + 12) >> 16));
    EXPECT_EQ(mem.readWord(kBase + 12 + 4), uint16_t(block1 + 12));
    EXPECT_EQ(mem.readLong(block1 + 12), 0xCAFEBABEu);
    EXPECT_EQ(mem.cursor, block2 + 2 * 4 + 12);
}

TEST_F(LoaderTest, SkippedHunksAndFlagsDoNotDisturbLoading) {
    struct Row {
        const char* what;
        std::vector<uint8_t> file;
        uint32_t cursorAdvance;
    };
    const Row rows[] = {
        {"memory flag in the size table", hunkFile({0x3F3, 0, 1, 0, 0, 0x40000002, 0x3E9, 2, 1, 2, 0x3F2}), 20},
        {"memory flags on the hunk id", hunkFile({0x3F3, 0, 1, 0, 0, 2, 0x400003E9, 2, 1, 2, 0x3F2}), 20},
        {"both flags: an extra attribute long", hunkFile({0x3F3, 0, 1, 0, 0, 0xC0000002, 0x00010001, 0x3E9, 2, 1, 2}),
         20},
        {"debug hunk skipped with its longs", hunkFile({0x3F3, 0, 1, 0, 0, 2, 0x3E9, 2, 1, 2, 0x3F1, 3, 7, 7, 7, 0x3F2}),
         20},
        {"symbols skipped", hunkFile({0x3F3, 0, 1, 0, 0, 2, 0x3E9, 2, 1, 2, 0x3F0, 2, 0x41424344, 0x45460000, 8, 1,
                                      0x47000000, 4, 0, 0x3F2}),
         20},
        {"name hunk skipped", hunkFile({0x3F3, 0, 1, 0, 0, 2, 0x3E8, 1, 0x61626364, 0x3E9, 2, 1, 2, 0x3F2}), 20},
        {"hunk shorter than its table size", hunkFile({0x3F3, 0, 1, 0, 0, 4, 0x3E9, 2, 1, 2, 0x3F2}), 28},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        MemoryRegion fresh{kBase, 0x10000};
        fresh.fill(kBase, 0xEE, 0x100);
        ASSERT_EQ(loadExecutable(fresh, r.file.data(), r.file.size()), kBase + 8);
        EXPECT_EQ(fresh.cursor, kBase + r.cursorAdvance);
        EXPECT_EQ(fresh.readLong(kBase + 12), 1u);
        EXPECT_EQ(fresh.readLong(kBase + 16), 2u);
        EXPECT_EQ(fresh.readLong(kBase + 4), 16u);  // from the hunk, not the table
        if (r.cursorAdvance > 20) {
            EXPECT_EQ(fresh.readLong(kBase + 20), 0u);  // room beyond the data is cleared
        }
    }
}

TEST_F(LoaderTest, MalformedFilesLoadNothing) {
    struct Row {
        const char* what;
        std::vector<uint8_t> file;
    };
    const Row rows[] = {
        {"empty", {}},
        {"wrong magic", hunkFile({0x3E7, 0, 1, 0, 0, 2, 0x3E9, 2, 1, 2})},
        {"resident library names", hunkFile({0x3F3, 1, 0x41424344, 0, 1, 0, 0, 2, 0x3E9, 2, 1, 2})},
        {"no hunks", hunkFile({0x3F3, 0, 0, 0, 0})},
        {"absurd hunk count", hunkFile({0x3F3, 0, 0xFFFFFFFF, 0, 0, 2})},
        {"absurd hunk size", hunkFile({0x3F3, 0, 1, 0, 0, 0x00FFFFFF, 0x3E9, 2, 1, 2})},
        {"header cut short", hunkFile({0x3F3, 0, 2, 0, 1, 2})},
        {"code cut short", hunkFile({0x3F3, 0, 1, 0, 0, 2, 0x3E9, 2, 1})},
        {"hunk longer than its block", hunkFile({0x3F3, 0, 1, 0, 0, 1, 0x3E9, 2, 1, 2})},
        {"more hunks than declared", hunkFile({0x3F3, 0, 1, 0, 0, 2, 0x3E9, 2, 1, 2, 0x3F2, 0x3EA, 1, 5, 0x3F2})},
        {"relocation before any hunk", hunkFile({0x3F3, 0, 1, 0, 0, 2, 0x3EC, 1, 0, 0, 0, 0x3E9, 2, 1, 2})},
        {"relocation to a missing hunk", hunkFile({0x3F3, 0, 1, 0, 0, 2, 0x3E9, 2, 1, 2, 0x3EC, 1, 1, 0, 0})},
        {"relocation outside its hunk", hunkFile({0x3F3, 0, 1, 0, 0, 2, 0x3E9, 2, 1, 2, 0x3EC, 1, 0, 6, 0})},
        {"relocation far outside", hunkFile({0x3F3, 0, 1, 0, 0, 2, 0x3E9, 2, 1, 2, 0x3EC, 1, 0, 0xFFFFFFFE, 0})},
        {"relocation list cut short", hunkFile({0x3F3, 0, 1, 0, 0, 2, 0x3E9, 2, 1, 2, 0x3EC, 3, 0, 0})},
        {"skipped hunk cut short", hunkFile({0x3F3, 0, 1, 0, 0, 2, 0x3E9, 2, 1, 2, 0x3F1, 9, 1})},
        {"trailing partial long", [] { auto f = hunkFile({0x3F3, 0, 1, 0, 0, 2, 0x3E9, 2, 1, 2}); f.push_back(3); return f; }()},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        MemoryRegion fresh{kBase, 0x10000};
        fresh.cursor = kBase + 0x100;
        EXPECT_EQ(loadExecutable(fresh, r.file.data(), r.file.size()), 0u);
        EXPECT_EQ(fresh.cursor, kBase + 0x100);
    }
}

TEST_F(LoaderTest, RunningOutOfMemoryFailsWithoutWritingPastTheRegion) {
    MemoryRegion small{kBase, 64};
    small.cursor = kBase + 16;
    small.fill(kBase, 0x5A, 16);
    // Needs 4 x 4 + 12 = 28 bytes for the first hunk, then 28 more: 56 > 48 left.
    const auto file = hunkFile({0x3F3, 0, 2, 0, 1, 4, 4, 0x3E9, 4, 1, 2, 3, 4, 0x3EB, 4});
    EXPECT_EQ(loadExecutable(small, file.data(), file.size()), 0u);
    EXPECT_EQ(small.cursor, kBase + 16);
    for (uint32_t a = kBase; a < kBase + 16; ++a) EXPECT_EQ(small.readByte(a), 0x5A) << a;
}

TEST_F(LoaderTest, UnsetMemoryCursorLoadsNothing) {
    mem.cursor = 0;
    EXPECT_EQ(load(hunkFile({0x3F3, 0, 1, 0, 0, 2, 0x3E9, 2, 1, 2})), 0u);
    EXPECT_EQ(mem.cursor, 0u);
}

// Thousands of damaged variants of a valid executable: every load either
// succeeds inside the memory it took or fails with the cursor restored, and
// the memory below the cursor is never touched. Run under the sanitizers this
// also proves no host access strays outside the file or the region.
TEST(LoaderMutation, DamagedExecutablesNeverWriteOutsideTheirBlocks) {
    const auto valid = hunkFile({0x3F3, 0, 3, 0, 2, 4, 0x40000002, 3,
                                 0x3E9, 4, 0x41F90000, 0x00004E75, 0x00000000, 0x4E714E71,
                                 0x3EC, 2, 1, 0, 8, 1, 2, 4, 0,
                                 0x3F0, 1, 0x6D61696E, 0, 0, 0x3F2,
                                 0x3EA, 2, 0xCAFEBABE, 0xDEADBEEF, 0x3EC, 1, 0, 4, 0, 0x3F2,
                                 0x3F1, 2, 0x11111111, 0x22222222,
                                 0x3EB, 3, 0x3F2});
    {
        MemoryRegion check{kBase, 0x1000};
        ASSERT_NE(loadExecutable(check, valid.data(), valid.size()), 0u) << "the seed file must load";
    }
    std::mt19937 random(1234);
    const uint32_t interesting[] = {0, 1, 2, 3, 0x3E9, 0x3EA, 0x3EB, 0x3EC, 0x3F0, 0x3F2, 0x3F3,
                                    0xFFFFFFFF, 0x00FFFFFF, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFC};
    constexpr uint32_t kGuard = 0x40;
    for (int round = 0; round < 4000; ++round) {
        std::vector<uint8_t> file = valid;
        const int edits = 1 + int(random() % 4);
        for (int e = 0; e < edits; ++e) {
            const size_t at = random() % file.size();
            switch (random() % 4) {
            case 0: file[at] = uint8_t(random()); break;
            case 1: file[at] ^= uint8_t(1u << (random() % 8)); break;
            case 2: {
                const uint32_t v = interesting[random() % std::size(interesting)];
                const size_t longAt = (at / 4) * 4;
                for (int k = 0; k < 4 && longAt + k < file.size(); ++k) file[longAt + k] = uint8_t(v >> (24 - 8 * k));
                break;
            }
            default: file.resize(at); break;
            }
            if (file.empty()) break;
        }
        MemoryRegion mem{kBase, 0x400};
        mem.cursor = kBase + kGuard;
        mem.fill(kBase, 0xA5, kGuard);
        const uint32_t result = loadExecutable(mem, file.data(), file.size());
        if (result == 0) {
            ASSERT_EQ(mem.cursor, kBase + kGuard) << "round " << round;
        } else {
            ASSERT_EQ(result, kBase + kGuard + 8) << "round " << round;
            ASSERT_GT(mem.cursor, kBase + kGuard);
        }
        for (uint32_t a = kBase; a < kBase + kGuard; ++a) ASSERT_EQ(mem.readByte(a), 0xA5) << "round " << round;
    }
}

} // namespace
} // namespace varno
