// The 68000 example programs, built by the cross tools and varno-elf2hunk during the
// build, checked byte by byte against what their sources tell the assembler.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tools/hunk_reader.h"

namespace varno::test {
namespace {

constexpr std::uint32_t kCode = 0x3E9;
constexpr std::uint32_t kData = 0x3EA;
constexpr std::uint32_t kBss = 0x3EB;

std::string programPath(const std::string& name) {
    return std::string(VARNO_M68K_DIR) + "/" + name;
}

#define SKIP_WITHOUT_M68K()                                                              \
    do {                                                                                 \
        if (!VARNO_HAVE_M68K) {                                                          \
            GTEST_SKIP() << "built without the m68k cross tools: no 68000 programs";     \
        }                                                                                \
    } while (0)

// Offsets and encodings worked out by hand from m68k/tests/examples/chain*.S.
TEST(ChainExample, HasCodeDataAndBssHunksWithTheAssembledBytes) {
    SKIP_WITHOUT_M68K();
    const auto executable = readExecutable(readFileBytes(programPath("tests/examples/chain")));
    ASSERT_TRUE(executable.has_value());
    EXPECT_EQ(executable->sizeTable, (std::vector<std::uint32_t>{10, 8, 4}));
    ASSERT_EQ(executable->hunks.size(), 3u);

    const ReadHunk& code = executable->hunks[0];
    EXPECT_EQ(code.id, kCode);
    const std::vector<std::uint8_t> codeBytes = {
        0x41, 0xF9, 0x00, 0x00, 0x00, 0x00, // lea message,a0        -> data+0
        0x20, 0x3C, 0x00, 0x00, 0x00, 0x04, // move.l #counter,d0    -> bss+4
        0x43, 0xFA, 0x00, 0x0A,             // lea table(pc),a1: 24 - 14
        0x4E, 0xB9, 0x00, 0x00, 0x00, 0x24, // jsr helper            -> code+36
        0x4E, 0x75,                         // rts
        0x00, 0x00, 0x00, 0x02,             // start+2
        0x00, 0x00, 0x00, 0x10,             // extra+4: end of the BSS
        0xBE, 0xEF, 0xCA, 0xFE,             //
        0x70, 0x2A, 0x4E, 0x75,             // helper: moveq #42,d0; rts
    };
    EXPECT_EQ(code.bytes, codeBytes);
    EXPECT_EQ(code.relocations, (std::map<std::uint32_t, std::vector<std::uint32_t>>{
                                    {0, {18, 24}}, {1, {2}}, {2, {8, 28}}}));

    const ReadHunk& data = executable->hunks[1];
    EXPECT_EQ(data.id, kData);
    const std::vector<std::uint8_t> dataBytes = {
        'V', 'A', 'R', 'N', 'O', '!', 0, 0,
        0x00, 0x00, 0x00, 0x00, // start
        0x00, 0x00, 0x00, 0x04, // counter
        0x00, 0x00, 0x00, 0x04, // message+4
        0x00, 0x00, 0x00, 0x24, // helper (second object)
        0x12, 0x34, 0x56, 0x78, //
        0x00, 0x00, 0x40, 0x00, // magic: absolute, not relocated
    };
    EXPECT_EQ(data.bytes, dataBytes);
    EXPECT_EQ(data.relocations, (std::map<std::uint32_t, std::vector<std::uint32_t>>{
                                    {0, {8, 20}}, {1, {16}}, {2, {12}}}));

    EXPECT_EQ(executable->hunks[2].id, kBss);
    EXPECT_EQ(executable->hunks[2].longs, 4u);
    EXPECT_TRUE(executable->hunks[2].relocations.empty());
}

bool relocatedTo(const ReadHunk& hunk, std::uint32_t target, std::uint32_t offset) {
    const auto it = hunk.relocations.find(target);
    return it != hunk.relocations.end() &&
           std::find(it->second.begin(), it->second.end(), offset) != it->second.end();
}

// The header and tag list exactly as the host reads them: entry code, "DELIRIUM", the
// tag list address, and the tag ids of the DeliTracker table with relocated values.
TEST(PlayerSkeleton, HeaderAndTagListAreWhatTheHostReads) {
    SKIP_WITHOUT_M68K();
    const auto executable = readExecutable(readFileBytes(programPath("tests/examples/player_skeleton")));
    ASSERT_TRUE(executable.has_value());
    ASSERT_GE(executable->hunks.size(), 2u);
    const ReadHunk& code = executable->hunks[0];
    ASSERT_EQ(code.id, kCode);
    ASSERT_GE(code.bytes.size(), 16u);
    EXPECT_EQ(bigEndianLong(code.bytes, 0), 0x70FF4E75u); // moveq #-1,d0; rts
    EXPECT_EQ(std::string(code.bytes.begin() + 4, code.bytes.begin() + 12), "DELIRIUM");
    EXPECT_TRUE(relocatedTo(code, 0, 12));

    std::map<std::uint32_t, std::uint32_t> tags; // id -> offset of its value
    for (std::uint32_t at = bigEndianLong(code.bytes, 12); bigEndianLong(code.bytes, at) != 0; at += 8) {
        ASSERT_LT(at + 8, code.bytes.size());
        tags[bigEndianLong(code.bytes, at)] = at + 4;
    }
    const std::map<std::uint32_t, std::uint32_t> expectedTargets = {
        {0x80004459, 0}, // PlayerName
        {0x8000445A, 0}, // Creator
        {0x80004473, 1}, // DeliBase: a long in the data hunk
        {0x8000445C, 0}, // Check2
        {0x80004462, 0}, // SubSongRange
        {0x80004463, 0}, // InitPlayer
        {0x80004464, 0}, // EndPlayer
        {0x80004465, 0}, // InitSound
        {0x80004466, 0}, // EndSound
        {0x8000445E, 0}, // Interrupt
    };
    ASSERT_EQ(tags.size(), expectedTargets.size());
    for (const auto& [id, target] : expectedTargets) {
        ASSERT_TRUE(tags.count(id)) << std::hex << id;
        EXPECT_TRUE(relocatedTo(code, target, tags[id])) << std::hex << id;
    }
    const std::uint32_t name = bigEndianLong(code.bytes, tags[0x80004459]);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(code.bytes.data() + name)), "Varno Skeleton");
}

// Every program any folder builds must be a file the loader can take: each relocation
// inside its hunk, on an even offset, naming an existing hunk, and holding an offset
// that lies inside (or just past) the hunk it names.
TEST(BuiltPrograms, AreWellFormedHunkExecutables) {
    SKIP_WITHOUT_M68K();
    int checked = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(VARNO_M68K_DIR)) {
        if (!entry.is_regular_file() || entry.path().has_extension()) {
            continue;
        }
        const auto bytes = readFileBytes(entry.path().string());
        if (bytes.size() < 4 || bigEndianLong(bytes, 0) != 0x3F3) {
            continue;
        }
        SCOPED_TRACE(entry.path().string());
        ++checked;
        const auto executable = readExecutable(bytes);
        ASSERT_TRUE(executable.has_value());
        for (std::size_t i = 0; i < executable->hunks.size(); ++i) {
            const ReadHunk& hunk = executable->hunks[i];
            EXPECT_EQ(executable->sizeTable[i], hunk.longs);
            for (const auto& [target, offsets] : hunk.relocations) {
                ASSERT_LT(target, executable->hunks.size());
                const std::uint32_t targetBytes = executable->hunks[target].longs * 4;
                for (std::uint32_t offset : offsets) {
                    ASSERT_EQ(offset % 2, 0u);
                    ASSERT_LE(offset + 4, hunk.bytes.size());
                    EXPECT_LE(bigEndianLong(hunk.bytes, offset), targetBytes) << "at offset " << offset;
                }
            }
        }
    }
    EXPECT_GE(checked, 1);
}

} // namespace
} // namespace varno::test
