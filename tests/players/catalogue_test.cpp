// Loading the player catalogue from a real ZIP archive through the portable host.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "session/module_session.h"
#include "players/player_fixture.h"

namespace varno::test {
namespace {

using CatalogueTest = PlayerTest;

std::vector<uint8_t> bytes(const std::string& s) { return {s.begin(), s.end()}; }

PlayerImage named(const std::string& name) {
    PlayerImage image;
    image.tag(0x80004459, image.text(name));
    return image;
}

TEST_F(CatalogueTest, MissingArchiveIsReportedOnce) {
    const uint32_t cursor = main().cursor;
    PlayerArchive* archive = ensureCatalogue(m());
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(archive->count, 1u);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], kNoPlayersMessage);
    EXPECT_EQ(ensureCatalogue(m()), archive);
    EXPECT_EQ(errors.size(), 1u) << "the empty catalogue stays; no second message";
    EXPECT_EQ(main().cursor, cursor);
    EXPECT_EQ(archive->player(1), nullptr);
}

TEST_F(CatalogueTest, ArchiveThatIsNoZipIsReportedLikeAMissingOne) {
    std::ofstream(folder / kArchiveName, std::ios::binary) << "plain text, not an archive";
    EXPECT_EQ(ensureCatalogue(m())->count, 1u);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], kNoPlayersMessage);
}

TEST_F(CatalogueTest, EmptyArchiveLoadsWithoutMessage) {
    writeArchive(ArchiveEntries{});
    EXPECT_EQ(ensureCatalogue(m())->count, 1u);
    EXPECT_TRUE(errors.empty());
}

TEST_F(CatalogueTest, EntriesThatAreNoExecutablesAreSkipped) {
    writeArchive(ArchiveEntries{
        {"first", named("First").file()},
        {"readme.txt", bytes("Not a player at all.\n")},
        {"empty", {}},
        {"second", named("Second").file()},
    });
    PlayerArchive& archive = *ensureCatalogue(m());
    EXPECT_TRUE(errors.empty());
    ASSERT_EQ(archive.count, 3u);
    EXPECT_STREQ(archive.player(1)->fileName, "first");
    EXPECT_STREQ(archive.player(1)->playerName, "First");
    EXPECT_STREQ(archive.player(2)->fileName, "second");
    EXPECT_STREQ(archive.player(2)->playerName, "Second");
    EXPECT_EQ(archive.player(3), nullptr);
    EXPECT_EQ(archive.player(0), nullptr) << "entry 0 belongs to custom modules";
}

TEST_F(CatalogueTest, CursorsMarkTheEndOfThePlayers) {
    writeArchive(std::vector<PlayerImage>{named("One"), named("Two")});
    const uint32_t start = main().cursor;
    PlayerArchive& archive = *ensureCatalogue(m());
    ASSERT_EQ(archive.count, 3u);
    const MemoryRegion& memory = main();
    EXPECT_GT(memory.cursor, archive.player(2)->entry);
    EXPECT_GT(archive.player(2)->entry, archive.player(1)->entry);
    EXPECT_GT(archive.player(1)->entry, start);
    EXPECT_EQ(memory.resetCursor, memory.cursor);
    EXPECT_EQ(memory.markCursor, memory.cursor);
    // The next allocation lies above the last player's hunk.
    const uint32_t block = main().allocate(2);
    EXPECT_GE(block, archive.player(2)->entry + named("Two").size());
}

TEST_F(CatalogueTest, PlayersBeyondTheTwoHundredFiftyFifthAreIgnored) {
    ArchiveEntries entries;
    for (int i = 1; i <= 260; ++i) {
        const std::string number = std::to_string(i);
        entries.push_back({std::string("p").append(number), named(std::string("P").append(number)).file()});
    }
    writeArchive(entries);
    PlayerArchive& archive = *ensureCatalogue(m());
    ASSERT_EQ(archive.count, 256u);
    EXPECT_STREQ(archive.player(255)->fileName, "p255");
    EXPECT_EQ(archive.player(256), nullptr);
    EXPECT_TRUE(errors.empty());
}

} // namespace
} // namespace varno::test
