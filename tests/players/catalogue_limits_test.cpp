// The catalogue's limits: 255 players, 32 list-data files, 64 subsongs, and
// archives far larger than any real one. Beyond a limit the rest is ignored,
// quietly, and what is within it works as usual.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "amigaos/system.h"
#include "players/player_fixture.h"
#include "session/frame_driver.h"
#include "session/module_session.h"

namespace varno::test {
namespace {

using CatalogueLimits = PlayerTest;

constexpr uint32_t kPlayerName = 0x80004459;
constexpr uint32_t kCheck1 = 0x8000445B;
constexpr uint32_t kSubSongRange = 0x80004462;

// Built with snprintf: GCC 12 warns wrongly about a string concatenation here.
std::string numbered(const char* prefix, int n) {
    char text[32];
    std::snprintf(text, sizeof text, "%s%d", prefix, n);
    return text;
}

PlayerImage named(const std::string& name) {
    PlayerImage image;
    image.tag(kPlayerName, image.text(name));
    return image;
}

// A player that accepts everything and says its subsongs run from first to last.
PlayerImage withSubsongs(uint16_t first, uint16_t last) {
    PlayerImage image = named("Subsongs");
    image.tag(kCheck1, image.returning(0));
    // moveq #first,d0 ; move.l #last,d1 ; rts
    image.tag(kSubSongRange, image.words({uint16_t(0x7000 | (first & 0xFF)), 0x223C, 0, last, 0x4E75}));
    return image;
}

TEST_F(CatalogueLimits, ArchivesBeyond255PlayersKeepTheFirst255) {
    for (const int players : {255, 256, 300}) {
        std::vector<PlayerImage> images;
        for (int i = 0; i < players; ++i) images.push_back(named(numbered("P", i + 1)));
        PlayerArchive& archive = installPlayers(images);
        EXPECT_EQ(archive.count, 256u) << players;
        EXPECT_STREQ(archive.player(255)->playerName, "P255") << players;
        EXPECT_EQ(archive.player(256), nullptr);
    }
    EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(CatalogueLimits, AThousandEntriesLoadTheirPlayers) {
    ArchiveEntries entries;
    for (int i = 0; i < 1000; ++i) {
        const std::string name = numbered("entry", i);
        if (i % 250 == 249)
            entries.push_back({name, named(name).file()});
        else
            entries.push_back({name, std::vector<uint8_t>(size_t(i % 7) * 100, uint8_t(i))});
    }
    writeArchive(entries);
    PlayerArchive& archive = *ensureCatalogue(m());
    ASSERT_EQ(archive.count, 5u);
    EXPECT_STREQ(archive.player(1)->playerName, "entry249");
    EXPECT_STREQ(archive.player(4)->playerName, "entry999");
    EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(CatalogueLimits, ListDataBeyond32FilesIsPlacedButNotListed) {
    installPlayers({named("One")});
    const uint8_t bytes[6] = {1, 2, 3, 4, 5, 6};
    uint32_t last = 0;
    for (int i = 0; i < 40; ++i) {
        const uint32_t address = m().system->deliBase->place(bytes, sizeof bytes, kPlaceListData);
        ASSERT_NE(address, 0u) << i;
        EXPECT_GT(address, last);
        last = address;
    }
    EXPECT_EQ(m().system->deliBase->listCount, 32u);
    EXPECT_EQ(m().system->deliBase->listData[31].address, last - 8 * 6);
}

// Subsong numbers come from the player; the catalogue holds 64 (0 to 63).
TEST_F(CatalogueLimits, SubsongRangesAreCutTo64) {
    const struct {
        uint16_t first, last;
        uint32_t expectFirst, expectLast, expectCount;
    } cases[] = {
        {0, 63, 0, 63, 64}, {0, 64, 0, 63, 64}, {0, 200, 0, 63, 64}, {10, 255, 10, 63, 54}, {100, 120, 63, 63, 1},
    };
    const std::vector<uint8_t> file(64, 0);
    for (const auto& c : cases) {
        installPlayers({withSubsongs(c.first, c.last)});
        ASSERT_TRUE(openModule(m(), song(), "song", file.data(), uint32_t(file.size()))) << c.last;
        EXPECT_EQ(song().firstSubsong, c.expectFirst) << c.first << "-" << c.last;
        EXPECT_EQ(song().lastSubsong, c.expectLast) << c.first << "-" << c.last;
        EXPECT_EQ(song().subsongCount, c.expectCount) << c.first << "-" << c.last;
        closeModule(m(), song());
    }
}

TEST_F(CatalogueLimits, SubsongsAbove63AreNotStarted) {
    installPlayers({withSubsongs(0, 200)});
    const std::vector<uint8_t> file(64, 0);
    ASSERT_TRUE(openModule(m(), song(), "song", file.data(), uint32_t(file.size())));
    startSubsong(m(), song(), 63, false);
    EXPECT_EQ(song().currentSubsong, 63u);
    for (const int32_t subsong : {64, 100, 0xFFF, 0x7FFFFFFF, -2}) {
        startSubsong(m(), song(), subsong, false);
        EXPECT_EQ(song().currentSubsong, 63u) << subsong;
    }
    closeModule(m(), song());
    EXPECT_TRUE(errors.empty()) << errors.front();
}

} // namespace
} // namespace varno::test
