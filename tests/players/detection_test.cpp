// Recognising modules: which check routine a player offers, the order in which
// players are asked, what the checks see, and custom modules.
#include <gtest/gtest.h>

#include <string>

#include "amigaos/system.h"
#include "session/module_session.h"
#include "session/player_calls.h"
#include "amigaos/deli_base.h"
#include "players/player_fixture.h"

namespace varno::test {
namespace {

constexpr uint32_t kCheck1 = 0x8000445B;
constexpr uint32_t kCheck2 = 0x8000445C;
constexpr uint32_t kCheck3 = 0x80004564;
constexpr uint32_t kCustomPlayer = 0x80004455;
constexpr uint32_t kFlags = 0x80004474;

using DetectionTest = PlayerTest;

// A player whose checks answer as given (0 accepts, -1 refuses, absent when unset).
struct Checks {
    int check1 = 1, check2 = 1, check3 = 1;  // 1 = no such routine
};

PlayerImage withChecks(Checks c) {
    PlayerImage image;
    if (c.check1 != 1) image.tag(kCheck1, image.returning(int8_t(c.check1)));
    if (c.check2 != 1) image.tag(kCheck2, image.returning(int8_t(c.check2)));
    if (c.check3 != 1) image.tag(kCheck3, image.returning(int8_t(c.check3)));
    return image;
}

const uint8_t kModule[] = {'M', 'O', 'D', 'U', 'L', 'E', 0, 0};

struct OrderCase {
    const char* what;
    std::vector<Checks> players;
    int32_t expected;
};

TEST_F(DetectionTest, FirstAcceptingPlayerInCatalogueOrder) {
    const OrderCase cases[] = {
        {"player 2 accepts through Check1, player 3 through Check3", {{1, -1, 1}, {0, 1, 1}, {1, 1, 0}}, 2},
        {"Check3 is asked before Check2", {{1, 0, -1}}, -1},
        {"Check2 is asked before Check1", {{0, -1, 1}}, -1},
        {"Check3 alone decides", {{-1, -1, 0}}, 1},
        {"a player without checks is skipped", {{1, 1, 1}, {0, 1, 1}}, 2},
        {"nobody accepts", {{-1, 1, 1}, {1, -1, 1}}, -1},
        {"an empty catalogue", {}, -1},
    };
    for (const OrderCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<PlayerImage> images;
        for (const Checks& checks : c.players) images.push_back(withChecks(checks));
        m().players.reset();
        main().cursor = main().resetCursor = main().markCursor = kMainMemoryBase;
        writeArchive(images);
        ensureCatalogue(m());
        EXPECT_EQ(identifyModule(m(), song(), "/mods/song.mod", kModule, sizeof kModule, sizeof kModule), c.expected);
        EXPECT_EQ(checkModule(m(), song(), "/mods/song.mod", kModule, sizeof kModule, sizeof kModule), c.expected >= 0);
    }
    EXPECT_TRUE(errors.empty());
}

TEST_F(DetectionTest, PlayerWithoutHeaderIsNeverAsked) {
    PlayerImage broken("NOTAPLAY");
    broken.tag(kCheck1, broken.returning(0));
    writeArchive(std::vector<PlayerImage>{broken, withChecks({0, 1, 1})});
    ASSERT_EQ(ensureCatalogue(m())->count, 3u);
    EXPECT_EQ(identifyModule(m(), song(), "x", kModule, sizeof kModule, sizeof kModule), 2);
}

TEST_F(DetectionTest, FaultingCheckRefusesAndTheNextPlayerIsAsked) {
    PlayerImage faulting;
    faulting.tag(kCheck2, faulting.words({0x7000, 0x4AFC}));  // moveq #0,d0 ; illegal
    writeArchive(std::vector<PlayerImage>{faulting, withChecks({0, 1, 1})});
    ensureCatalogue(m());
    EXPECT_EQ(identifyModule(m(), song(), "x", kModule, sizeof kModule, sizeof kModule), 2);
    EXPECT_EQ(errors.size(), 1u) << "the fault is reported";
}

TEST_F(DetectionTest, ChecksSeeTheFileStartAndTheWholeFileSize) {
    // The check copies what it is shown (dtg_ChkData, dtg_ChkSize and the first
    // long of the data) and the path buffers' first long, then accepts.
    PlayerImage image;
    const uint32_t seen = image.longWord(0);
    image.longWord(0);
    image.longWord(0);
    const uint32_t check = image.words({0x23ED, 0x0024});  // move.l 36(a5),seen
    image.address(seen);
    image.words({0x23ED, 0x0028});                          // move.l 40(a5),seen+4
    image.address(seen + 4);
    image.words({0x206D, 0x0024});                          // movea.l 36(a5),a0
    image.words({0x23D0});                                  // move.l (a0),seen+8
    image.address(seen + 8);
    image.words({0x7000, 0x4E75});
    image.tag(kCheck2, check);
    writeArchive(std::vector<PlayerImage>{image});
    PlayerArchive& archive = *ensureCatalogue(m());
    const SlavePlayer& p = *archive.player(1);

    std::vector<uint8_t> file(200000, 0x11);
    file[0] = 0xCA, file[1] = 0xFE, file[2] = 0xBA, file[3] = 0xBE;
    const uint32_t mark = main().markCursor;
    const uint32_t listCount = m().system->deliBase->listCount;
    EXPECT_EQ(identifyModule(m(), song(), "C:\\mods/dir|song.mod", file.data(), uint32_t(file.size()), 987654), 1);
    EXPECT_EQ(main().readLong(at(p, seen)), mark) << "placed at the mark";
    EXPECT_EQ(main().readLong(at(p, seen + 4)), 987654u) << "the whole file's size";
    EXPECT_EQ(main().readLong(at(p, seen + 8)), 0xCAFEBABEu);
    EXPECT_EQ(main().readByte(mark + kCheckBufferSize - 1), 0x11);
    EXPECT_EQ(main().readByte(mark + kCheckBufferSize), 0) << "at most 128 KB are placed";
    EXPECT_EQ(main().cursor, mark) << "and the memory is given back";
    EXPECT_EQ(m().system->deliBase->listCount, listCount);

    // What the open module's player relies on is back as it was.
    const uint32_t base = m().system->deliBase->base;
    EXPECT_EQ(low().readLong(base + kDeliCheckSize), 0u);
    EXPECT_STREQ(song().modulePath, "");
    EXPECT_EQ(song().playerIndex, kNoPlayer);
}

TEST_F(DetectionTest, ModuleOfNoBytesIsCheckedSafely) {
    writeArchive(std::vector<PlayerImage>{withChecks({-1, 1, 1})});
    ensureCatalogue(m());
    EXPECT_EQ(identifyModule(m(), song(), "empty.mod", nullptr, 0, 0), -1);
    EXPECT_EQ(identifyModule(m(), song(), "null.mod", nullptr, 4096, 4096), -1) << "no data, whatever its size";
    const uint8_t none[1] = {};
    EXPECT_EQ(identifyModule(m(), song(), "", none, 0, 0), -1);
}

// ---------------------------------------------------------------------------
// Custom modules: hunk executables that carry their own DeliTracker player.

std::vector<uint8_t> customModule(uint32_t tag, uint32_t value, const char* magic = "DELIRIUM") {
    PlayerImage image(magic);
    image.tagValue(tag, value);
    return image.file();
}

TEST(CustomModuleTest, RecognisedByHeaderAndTag) {
    const std::vector<uint8_t> custom = customModule(kCustomPlayer, 1);
    const std::vector<uint8_t> flagged = customModule(kFlags, 3);
    const std::vector<uint8_t> flagsWithoutBit0 = customModule(kFlags, 2);
    const std::vector<uint8_t> eagle = customModule(kCustomPlayer, 1, "EPPLAYER");
    const std::vector<uint8_t> plain = customModule(kCheck1, 0);
    std::vector<uint8_t> otherMagic = custom;
    otherMagic[3] = 0xF2;

    EXPECT_TRUE(isCustomModule(custom.data(), uint32_t(custom.size())));
    EXPECT_TRUE(isCustomModule(flagged.data(), uint32_t(flagged.size())));
    EXPECT_FALSE(isCustomModule(flagsWithoutBit0.data(), uint32_t(flagsWithoutBit0.size())));
    EXPECT_FALSE(isCustomModule(eagle.data(), uint32_t(eagle.size()))) << "only DeliTracker headers";
    EXPECT_FALSE(isCustomModule(plain.data(), uint32_t(plain.size())));
    EXPECT_FALSE(isCustomModule(otherMagic.data(), uint32_t(otherMagic.size()))) << "first word is not 0x3F3";
    EXPECT_FALSE(isCustomModule(nullptr, 0));
}

TEST(CustomModuleTest, EveryCutOfTheFileIsSafe) {
    // Header 24 bytes, code hunk type and length 8, then the code: 16 bytes of
    // player header and the CustomPlayer pair at bytes 48-55 of the file. A cut
    // before the end of that pair is no custom module; no read may pass the
    // cut (the sanitizer build checks that).
    const std::vector<uint8_t> custom = customModule(kCustomPlayer, 1);
    for (uint32_t size = 0; size < custom.size(); ++size) {
        std::vector<uint8_t> cut(custom.begin(), custom.begin() + size);
        EXPECT_EQ(isCustomModule(cut.data(), size), size >= 56) << size;
    }
}

TEST(CustomModuleTest, OtherHunksBeforeTheCodeAreSkipped) {
    std::vector<uint8_t> custom = customModule(kCustomPlayer, 1);
    // Insert a debug hunk of two longs in front of the code hunk (at byte 24).
    const uint8_t debug[] = {0, 0, 0x03, 0xF1, 0, 0, 0, 2, 1, 2, 3, 4, 5, 6, 7, 8};
    custom.insert(custom.begin() + 24, std::begin(debug), std::end(debug));
    EXPECT_TRUE(isCustomModule(custom.data(), uint32_t(custom.size())));
    // A huge length in that hunk runs off the end of the data.
    custom[24 + 4] = 0xFF;
    EXPECT_FALSE(isCustomModule(custom.data(), uint32_t(custom.size())));
    // An end hunk before any code: not custom.
    custom[24 + 3] = 0xF2;
    EXPECT_FALSE(isCustomModule(custom.data(), uint32_t(custom.size())));
}

} // namespace
} // namespace varno::test
