// The player-interface block: its layout in low memory and its callbacks, made
// through its trap word as the 12-byte stubs make them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "amigaos/system.h"
#include "hardware/cia.h"
#include "machine/machine_fixture.h"
#include "amigaos/deli_base.h"
#include "players/player_archive.h"

namespace varno {
namespace {

// After ciab.resource, which ends at 0x1A56: H = (0x1A56 + 32) & ~15 = 0x1A70,
// B = H + 406, T = H + 2566, stubs from T + 2.
constexpr uint32_t H = 0x1A70, B = 0x1C06, T = 0x2476, kFirstStub = 0x2478;

class DeliBaseTest : public test::MachineTest {
protected:
    void call(int16_t offset) { low().handlers.writeWord(T, uint16_t(offset), test::busRegionOf(low().handlers)); }
    std::string lowString(uint32_t address) {
        char text[1024];
        low().readString(address, text, 1023);
        return text;
    }
    void setPath(const char* text) { low().writeString(low().readLong(B + 32), text); }
    std::string path() { return lowString(low().readLong(B + 32)); }
    void attachCatalogue() {
        m().players = std::make_unique<PlayerArchive>();
        m().players->machine = &m();
    }
};

TEST_F(DeliBaseTest, BlockLiesAfterTheResources) {
    const CDeliBase& d = *m().system->deliBase;
    EXPECT_EQ(d.headerAddress, H);
    EXPECT_EQ(d.base, B);
    EXPECT_EQ(d.trapAddress, T);
    EXPECT_EQ(d.directoryBuffer, H + 1030);
    EXPECT_EQ(d.fileBuffer, H + 1542);
    EXPECT_EQ(d.pathBuffer, H + 2054);
    EXPECT_EQ(d.endAddress(), kFirstStub + 97 * 12);
    EXPECT_EQ(lowString(H), "Varno/DT/EP-API");
}

TEST_F(DeliBaseTest, StructureStartsWithItsDefaults) {
    struct Word { uint32_t offset; uint16_t value; };
    const Word words[] = {{44, 0}, {46, 64}, {48, 64}, {50, 64}, {52, 0}, {54, 14188}, {326, 15},
                          {328, 64}, {330, 64}, {332, 64}, {334, 64}, {336, 0}};
    for (const Word& w : words) EXPECT_EQ(low().readWord(B + w.offset), w.value) << w.offset;
    struct Long { uint32_t offset; uint32_t value; };
    const Long longs[] = {{0, 0}, {4, 0x1204}, {8, 0}, {12, 0xC98}, {24, H + 1030}, {28, H + 1542},
                          {32, H + 2054}, {36, 0}, {40, 0}, {268, B + 554}, {290, 0},
                          {500, 0}, {504, 0}, {510, B + 522}, {514, 0}, {518, 0},
                          {538, 0}, {542, 0}, {546, 0}, {550, 0}};
    for (const Long& l : longs) EXPECT_EQ(low().readLong(B + l.offset), l.value) << l.offset;
    EXPECT_EQ(low().readByte(B + 508), 2);  // node type: interrupt
    EXPECT_EQ(low().readByte(B + 509), 0);
    EXPECT_EQ(lowString(B + 522), "VarnoTimer");
}

TEST_F(DeliBaseTest, CallbackEntriesAndVectorsReachTwelveByteStubs) {
    struct Row {
        int16_t offset;
        uint32_t stub;
    };
    // Stubs in the order 56, 60, ..., 180, then -6, -12, ..., -390.
    const Row rows[] = {{56, kFirstStub}, {60, kFirstStub + 12}, {124, kFirstStub + 17 * 12},
                        {128, kFirstStub + 18 * 12}, {180, kFirstStub + 31 * 12}, {-6, kFirstStub + 32 * 12},
                        {-96, kFirstStub + 47 * 12}, {-390, kFirstStub + 96 * 12}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.offset);
        if (r.offset > 0) {
            EXPECT_EQ(low().readLong(B + uint32_t(r.offset)), r.stub);
        } else {
            EXPECT_EQ(low().readWord(B + uint32_t(int32_t(r.offset))), 0x4EF9);
            EXPECT_EQ(low().readLong(B + uint32_t(int32_t(r.offset)) + 2), r.stub);
        }
        EXPECT_EQ(low().readWord(r.stub), 0x33FC);
        EXPECT_EQ(low().readWord(r.stub + 2), uint16_t(r.offset));
        EXPECT_EQ(low().readLong(r.stub + 4), T);
        EXPECT_EQ(low().readWord(r.stub + 8), 0x4A80);  // TST.L D0
        EXPECT_EQ(low().readWord(r.stub + 10), 0x4E75);
    }
    EXPECT_EQ(low().readWord(H + 16), 0x4EF9) << "the lowest vector starts right after the header text";
}

TEST_F(DeliBaseTest, ResetRestoresTheStructure) {
    low().writeWord(B + 44, 7);
    low().writeLong(B + 32, 0x30000);
    low().writeLong(B + 56, 0);
    low().writeString(H + 2054, "old path");
    m().reset();
    EXPECT_EQ(low().readWord(B + 44), 0);
    EXPECT_EQ(low().readLong(B + 32), H + 2054);
    EXPECT_EQ(low().readLong(B + 56), kFirstStub);
    EXPECT_EQ(low().readLong(B + 4), 0x1204u);
    EXPECT_EQ(lowString(H + 2054), "");
}

TEST_F(DeliBaseTest, ListDataAnswersPlacedFiles) {
    attachCatalogue();
    const uint8_t a[] = {1, 2, 3}, b[] = {4, 5, 6, 7};
    const uint32_t first = m().system->deliBase->place(a, 3, kPlaceListData);
    const uint32_t second = m().system->deliBase->place(b, 4, kPlaceBoth);
    EXPECT_EQ(second, first + 4) << "odd sizes are rounded up to even";
    struct Row { uint32_t index, a0, d0; };
    const Row rows[] = {{0, first, 3}, {1, second, 4}, {2, 0, 0}, {0xFFFFFFFF, 0, 0}};
    for (const Row& r : rows) {
        registers().d[0] = r.index;
        registers().a[0] = 0x1234;
        call(56);
        EXPECT_EQ(registers().a[0], r.a0) << r.index;
        EXPECT_EQ(registers().d[0], r.d0) << r.index;
    }
    EXPECT_EQ(low().readLong(B + 36), second) << "kind 3 also sets the data to check";
    EXPECT_EQ(low().readLong(B + 40), 4u);
    EXPECT_EQ(main().readByte(second + 3), 7);
}

TEST_F(DeliBaseTest, PlaceFileKeepsThirtyTwoEntriesAndRefusesWhatDoesNotFit) {
    attachCatalogue();
    const uint8_t byte = 0x42;
    for (int i = 0; i < 40; ++i) m().system->deliBase->place(&byte, 1, kPlaceListData);
    EXPECT_EQ(m().system->deliBase->listCount, 32u);
    const uint32_t cursor = main().cursor;
    std::vector<uint8_t> huge(0x600000);
    EXPECT_EQ(m().system->deliBase->place(huge.data(), uint32_t(huge.size()), kPlaceBoth), 0u);
    EXPECT_EQ(main().cursor, cursor);
    m().reset();
    EXPECT_EQ(m().system->deliBase->listCount, 0u);
}

TEST_F(DeliBaseTest, PlaceFilePutsEasoDataBehindTheBuiltInBlock) {
    attachCatalogue();
    const uint8_t file[10] = {'E', 'A', 'S', 'O', 1, 2, 3, 4, 5, 6};
    main().fill(main().cursor, 0xEE, 2000);
    const uint32_t cursor = main().cursor;
    const uint32_t address = m().system->deliBase->place(file, 10, kPlaceBoth);
    EXPECT_EQ(address, cursor);
    EXPECT_EQ(main().cursor, cursor + 1176);
    EXPECT_EQ(m().system->deliBase->listData[0].size, 1176u);
    EXPECT_EQ(low().readLong(B + 40), 1176u);
    EXPECT_EQ(main().readWord(address), 0x6000) << "BRA.W to the init routine";
    EXPECT_EQ(main().readWord(address + 0x1A), 3424) << "first note period";
    for (uint32_t i = 0; i < 6; ++i) EXPECT_EQ(main().readByte(address + 1166 + i), i + 1);
    for (uint32_t i = 6; i < 10; ++i) EXPECT_EQ(main().readByte(address + 1166 + i), 0);

    const uint8_t odd[3] = {'E', 'A', 'S'};  // too short to carry the tag: plain data
    EXPECT_EQ(m().system->deliBase->place(odd, 3, kPlaceListData), cursor + 1176);
    EXPECT_EQ(main().cursor, cursor + 1176 + 4);
}

TEST_F(DeliBaseTest, PathCallbacksAppendAndNeverOverrunTheBuffer) {
    std::strcpy(song().moduleDirectory, "C:\\mods\\");
    std::strcpy(song().moduleFileName, "song.mod");
    setPath("");
    call(64);
    call(68);
    EXPECT_EQ(path(), "C:\\mods\\song.mod");
    registers().a[0] = placeString(".smp");
    call(72);
    EXPECT_EQ(path(), "C:\\mods\\song.mod.smp");

    // A path that would not fit its 512-byte buffer stays as it was, and the trap
    // word and stubs behind the buffers are untouched.
    const std::string long504(504, 'x');
    setPath(long504.c_str());
    call(68);  // 504 + 8 = 512 characters: one too many
    EXPECT_EQ(path(), long504);
    EXPECT_EQ(low().readWord(T + 2), 0x33FC);
    const std::string long503(503, 'y');
    setPath(long503.c_str());
    call(68);  // 503 + 8 = 511 characters: exactly fits with its terminator
    EXPECT_EQ(path(), long503 + "song.mod");

    // A path pointer outside low memory reads as empty and is never written.
    low().writeLong(B + 32, 0x30000);
    main().writeString(0x30000, "main");
    call(64);
    EXPECT_EQ(main().readByte(0x30000), 'm');

    // Pointed at SysBase or at the end of the path buffer, nothing is written.
    low().writeLong(B + 32, 0);
    call(64);
    EXPECT_EQ(low().readLong(4), 0x4BCu);
    EXPECT_EQ(low().readLong(0), 0u);
    low().writeLong(B + 32, H + 2054 + 505);
    low().writeByte(H + 2054 + 505, 0);
    call(68);  // "song.mod" and its terminator would reach the trap word
    EXPECT_EQ(low().readWord(T), 0);
    EXPECT_EQ(low().readByte(H + 2054 + 505), 0);

    // The directory and file-name buffers may hold the path too.
    low().writeLong(B + 32, H + 1030);
    low().writeByte(H + 1030, 0);
    call(68);
    EXPECT_EQ(lowString(H + 1030), "song.mod");
}

TEST_F(DeliBaseTest, LoadFileConvertsSeparatorsAndPlacesTheFile) {
    attachCatalogue();
    auto& files = test::fakeFiles().files;
    files["dir\\sub\\a.smp"] = {9, 8, 7};
    files["arc.zip|in\\b.smp"] = {1};
    files["http://host/x.lha|in\\c.smp"] = {2, 2};
    files["ftp://host/d.smp"] = {3, 3, 3};
    struct Row {
        int16_t offset;
        const char* path;
        uint32_t d0;
        uint32_t size;
    };
    const Row rows[] = {
        {60, "dir/sub/a.smp", 0, 3},
        {144, "arc.zip|in/b.smp", 0, 1},
        {60, "http://host/x.lha|in/c.smp", 0, 2},
        {60, "ftp://host/d.smp", 0, 3},
        {60, "missing.smp", 255, 0},
        {60, "", 255, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.path);
        const uint32_t count = m().system->deliBase->listCount;
        setPath(r.path);
        registers().d[0] = 0x77;
        call(r.offset);
        EXPECT_EQ(registers().d[0], r.d0);
        EXPECT_EQ(m().system->deliBase->listCount, count + (r.d0 == 0 ? 1 : 0));
        if (r.d0 == 0) {
            EXPECT_EQ(m().system->deliBase->listData[count].size, r.size);
        }
    }
    EXPECT_EQ(main().readByte(m().system->deliBase->listData[0].address + 2), 7);
}

TEST_F(DeliBaseTest, SongEndSetTimerAndTheAnsweringVector) {
    call(92);
    EXPECT_EQ(song().songEndSignalled, 1);

    low().writeWord(B + 54, 0x1234);
    song().timerSource = 3;
    call(100);
    EXPECT_EQ(m().ciaB->TALO, 0x34);
    EXPECT_EQ(m().ciaB->TAHI, 0x12);
    EXPECT_NEAR(song().tickSeconds, 0x1234 / 709378.9, 1e-7);

    registers().d[0] = 5;
    call(-96);
    EXPECT_EQ(registers().d[0], 0u);
    for (int16_t offset : {52, 76, 104, 108, 140, 148, 172, 180, -6, -90, -102, -138, -144, -390}) {
        registers().d[0] = 0x5555;
        registers().a[0] = 0x6666;
        call(offset);
        EXPECT_EQ(registers().d[0], 0x5555u) << offset;
        EXPECT_EQ(registers().a[0], 0x6666u) << offset;
    }
}

class CodePatch : public DeliBaseTest {
protected:
    void setArgs(uint32_t count, uint32_t start, uint32_t length, uint32_t table, uint32_t mode, uint32_t marker) {
        const uint32_t values[] = {count, start, length, table, mode, marker};
        for (int i = 0; i < 6; ++i) low().writeLong(B + 290 + 4 * i, values[i]);
    }
};

TEST_F(CodePatch, ReplacesEveryMatchWithAJsr) {
    // Code: two copies of the pattern 1111 2222, one of them misaligned by a word.
    const uint32_t code = placeCode({0x1111, 0x2222, 0x0000, 0x1111, 0x2222, 0x3333, 0x1111, 0x2222});
    // Table at Q: one entry (pattern at Q+16, 2 words, replacement at Q+24), end entry.
    const uint32_t q = placeCode({16, 1, 24, 0, 0, 0, 0, 0, 0x1111, 0x2222, 0, 0, 0x4E75, 0});
    setArgs(5, code, 12, q, 1, 0xFFFFFFFE);  // the last copy lies beyond the length
    call(176);
    const uint32_t r = q + 24;
    const uint16_t expected[] = {0x4EB9, uint16_t(r >> 16), uint16_t(r), 0x4EB9, uint16_t(r >> 16), uint16_t(r),
                                 0x1111, 0x2222};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(main().readWord(code + 2 * i), expected[i]) << i;
}

TEST_F(CodePatch, OneWordPatternReachesPastTheMatch) {
    const uint32_t code = placeCode({0x4E75, 0xAAAA, 0xBBBB, 0xCCCC});
    const uint32_t q = placeCode({12, 0, 14, 0, 0, 0, 0x4E75, 0});
    setArgs(5, code, 2, q, 1, 0xFFFFFFFE);
    call(176);
    EXPECT_EQ(main().readWord(code), 0x4EB9);
    EXPECT_EQ(main().readLong(code + 2), q + 14);
    EXPECT_EQ(main().readWord(code + 6), 0xCCCC);
}

TEST_F(CodePatch, WrongArgumentsClearTheStartAddress) {
    const uint32_t code = placeCode({0x1111, 0, 0, 0});
    const uint32_t q = placeCode({12, 0, 12, 0, 0, 0, 0x1111, 0});
    struct Row { uint32_t count, mode, marker; };
    const Row rows[] = {{4, 1, 0xFFFFFFFE}, {5, 0, 0xFFFFFFFE}, {5, 1, 0xFFFFFFFF}};
    for (const Row& r : rows) {
        setArgs(r.count, code, 2, q, r.mode, r.marker);
        call(176);
        EXPECT_EQ(low().readLong(B + 294), 0u);
        EXPECT_EQ(main().readWord(code), 0x1111);
    }
    // An empty table writes nothing, and a huge length stops at the end of memory.
    const uint32_t empty = placeCode({0, 0, 0});
    setArgs(5, code, 0xFFFFFFFE, empty, 1, 0xFFFFFFFE);
    call(176);
    EXPECT_EQ(main().readWord(code), 0x1111);
    setArgs(5, code, 0xFFFFFFFE, q, 1, 0xFFFFFFFE);
    call(176);
    EXPECT_EQ(main().readWord(code), 0x4EB9);
}

} // namespace
} // namespace varno
