// The built-in EASO block: its fixed layout, and that the bytes kept in the core are
// the ones its 68000 source assembles to.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "amigaos/easo_block.h"

namespace varno {
namespace {

uint16_t wordAt(uint32_t offset) { return uint16_t(kEasoBlock[offset] << 8 | kEasoBlock[offset + 1]); }

TEST(EasoBlock, EntryBranchesTablesAndRecordsSitAtTheirOffsets) {
    EXPECT_EQ(wordAt(0x000), 0x6000);                 // BRA.W init
    EXPECT_EQ(0x002 + wordAt(0x002), 0x128);
    EXPECT_EQ(wordAt(0x004), 0x6000);                 // BRA.W play
    EXPECT_EQ(0x006 + wordAt(0x006), 0x156);
    for (uint32_t o = 0x008; o < 0x018; ++o) EXPECT_EQ(kEasoBlock[o], 0) << o;  // silence and state
    const uint16_t periods[] = {0,    3424, 3232, 3050, 2880, 2720, 2556, 2422, 2286, 2158, 2036, 1922, 1814,
                                1712, 1616, 1524, 1440, 1358, 1282, 1210, 1142, 1078, 1017, 960,  906,  856,
                                808,  762,  720,  678,  640,  604,  570,  538,  508,  480,  453,  428,  404,
                                381,  360,  339,  320,  302,  285,  269,  254,  240,  226,  214,  202,  190,
                                180,  170,  160,  151,  143,  135,  127,  120,  113};
    for (uint32_t i = 0; i < 71; ++i) EXPECT_EQ(wordAt(0x18 + 2 * i), i < 61 ? periods[i] : 113) << "note " << i;
    const std::pair<uint32_t, uint16_t> records[] = {{0x0A8, 2}, {0x0C8, 4}, {0x0E8, 1}, {0x108, 8}};
    for (auto [record, bit] : records) {
        EXPECT_EQ(wordAt(record + 0x1A), bit) << std::hex << record;
        for (uint32_t o = 0; o < 32; ++o)
            if (o != 0x1A && o != 0x1B) {
                EXPECT_EQ(kEasoBlock[record + o], 0) << std::hex << record + o;
            }
    }
    EXPECT_EQ(wordAt(0x128 + 4), 0x33FC) << "init starts by stopping the channels";
    EXPECT_EQ(wordAt(0x128 + 6), 0x000F);
}

TEST(EasoBlock, MatchesItsAssembledSource) {
    if (!VARNO_HAVE_M68K) GTEST_SKIP() << "no m68k cross tools: the 68000 source was not assembled";
    std::ifstream in(std::string(VARNO_M68K_DIR) + "/easo/easo_block", std::ios::binary);
    ASSERT_TRUE(in) << "assembled block missing";
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // A one-hunk executable: 6 header longs, the code hunk id and its count, the code.
    ASSERT_GE(file.size(), 32u + kEasoBlockSize);
    std::vector<uint8_t> code(file.begin() + 32, file.begin() + 32 + kEasoBlockSize);
    std::vector<uint8_t> kept(kEasoBlock, kEasoBlock + kEasoBlockSize);
    EXPECT_EQ(code, kept) << "src/amigaos/easo_block.inc is stale: build the update-easo_block target";
    EXPECT_EQ(file.size(), 32u + 1168u + 4u) << "the block needs no relocations (it is not loaded by the loader)";
}

} // namespace
} // namespace varno
