// The values of m68k/include, as assembled into the constants example, against the
// documented ones: the tag-id table, the AmigaOS vector offsets, the hardware
// register map and the DeliBase layout.
#include <gtest/gtest.h>

#include "tools/hunk_reader.h"

namespace varno::test {
namespace {

std::vector<std::uint32_t> constantsData() {
    const auto executable = readExecutable(readFileBytes(std::string(VARNO_M68K_DIR) + "/tests/examples/constants"));
    if (!executable) {
        ADD_FAILURE() << "constants example missing or unreadable";
        return {};
    }
    for (const ReadHunk& hunk : executable->hunks) {
        if (hunk.id == 0x3EA) {
            std::vector<std::uint32_t> longs;
            for (std::size_t at = 0; at + 4 <= hunk.bytes.size(); at += 4) {
                longs.push_back(bigEndianLong(hunk.bytes, at));
            }
            return longs;
        }
    }
    ADD_FAILURE() << "constants example has no data hunk";
    return {};
}

constexpr std::uint32_t neg(std::uint32_t lvo) { return 0u - lvo; }

TEST(IncludeFiles, HoldTheDocumentedValues) {
    if (!VARNO_HAVE_M68K) {
        GTEST_SKIP() << "built without the m68k cross tools: no 68000 programs";
    }
    const std::vector<std::uint32_t> expected = {
        // DeliTracker tags, 0x80004454 + k
        0x80004454, 0x80004455, 0x80004459, 0x8000445A, // InternalPlayer, CustomPlayer, PlayerName, Creator
        0x8000445B, 0x8000445C, 0x8000445D, 0x8000445E, // Check1, Check2, ExtLoad, Interrupt
        0x80004460, 0x80004462, 0x80004463, 0x80004464, // Config, SubSongRange, InitPlayer, EndPlayer
        0x80004465, 0x80004466, 0x80004467, 0x80004468, // InitSound, EndSound, StartInt, StopInt
        0x80004469, 0x8000446A, 0x8000446F, 0x80004472, // Volume, Balance, NextSong, NewSubSongRange
        0x80004473, 0x80004474, 0x80004479, 0x8000447D, // DeliBase, Flags, NotePlayer, Process
        0x80004483, 0x8000448D,                         // ModuleName, MiscText
        // EaglePlayer tags, 0x80004550 + k
        0x80004550, 0x80004552, 0x8000455E, 0x80004564, // GetModuleInfo, Voices, Flags, Check3
        0x80004566, 0x80004573, 0x8000457A, 0x8000457E, // NewModuleInfo, InitAmplifier, EagleBase, SamplePlayer
        0x80004D5F, 0,                                  // module-information prefix, end of list
        // exec
        neg(162), neg(168), neg(180), neg(198), neg(210), neg(408), neg(498), neg(534), neg(552), neg(294), neg(684),
        // dos
        neg(30), neg(36), neg(42), neg(66), neg(84), neg(90), neg(126), neg(150),
        // CIA resources
        neg(6), neg(12), neg(18), neg(24),
        1005, 1006, neg(1), 1,
        // custom chips
        0xDFF000, 0x096, 0x09A, 0x09C, 0x0A0, 0x0A4, 0x0A6, 0x0A8, 0x0B0, 0x0C0, 0x0D0, 0x0D8,
        0x800F, 0x0080, 0x0400, 0x4000,
        // CIAs
        0xBFE001, 0xBFD000, 0x400, 0x500, 0x600, 0x700, 0xD00, 0xE00, 0xF00,
        // DeliBase offsets
        4, 12, 24, 28, 32, 36, 40, 44, 54, 56, 60, 64, 68, 72, 92, 100, 144, 176, 290, 326, 500, 538,
        // Interrupt structure, exec base pointer, interrupt numbers, DisplayFlags
        14, 18, 22, 4, 5, 7, 10, 206,
    };
    const auto actual = constantsData();
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual[i], expected[i]) << "entry " << i;
    }
}

} // namespace
} // namespace varno::test
