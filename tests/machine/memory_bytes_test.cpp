// Byte strings copied into (and fills of) emulated memory land byte for byte where the 68000
// reads them, whatever the alignment and length, and never beyond.
#include <gtest/gtest.h>

#include <vector>

#include "memory/memory_region.h"

namespace varno {
namespace {

TEST(MemoryBytes, WriteAndFillAtEveryAlignmentAndLength) {
    MemoryRegion mem(0x20000, 64);
    std::vector<uint8_t> source(40);
    for (size_t i = 0; i < source.size(); ++i) source[i] = uint8_t(0x80 + i);
    for (uint32_t start = 0; start < 4; ++start) {
        for (uint32_t length = 0; length <= 9; ++length) {
            mem.fill(0x20000, 0xEE, 64);
            ASSERT_TRUE(mem.writeBytes(0x20000 + 8 + start, source.data(), length));
            for (uint32_t a = 0; a < 64; ++a) {
                const bool inside = a >= 8 + start && a < 8 + start + length;
                const uint8_t expected = inside ? source[a - 8 - start] : 0xEE;
                ASSERT_EQ(mem.readByte(0x20000 + a), expected) << start << " " << length << " " << a;
            }
            // A fill over the same bytes, odd ends included, stays within them too.
            ASSERT_TRUE(mem.fill(0x20000 + 8 + start, 0x11, length));
            for (uint32_t a = 0; a < 64; ++a) {
                const bool inside = a >= 8 + start && a < 8 + start + length;
                ASSERT_EQ(mem.readByte(0x20000 + a), inside ? 0x11 : 0xEE) << "fill " << start << " " << length;
            }
            ASSERT_TRUE(mem.writeBytes(0x20000 + 8 + start, source.data(), length));
            uint8_t back[16] = {};
            ASSERT_TRUE(mem.readBytes(0x20000 + 8 + start, back, length));
            for (uint32_t k = 0; k < length; ++k) EXPECT_EQ(back[k], source[k]) << start << " " << length;
        }
    }
    EXPECT_FALSE(mem.writeBytes(0x20000 + 60, source.data(), 5)) << "nothing of a string that does not fit";
    EXPECT_EQ(mem.readByte(0x20000 + 60), 0xEE);
}

} // namespace
} // namespace varno
