// Reading a player's header and tags: kinds, flags, names, the Creator text,
// the short format name and the channel count.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "amigaos/deli_base.h"
#include "amigaos/system.h"
#include "players/player_fixture.h"
#include "players/tag_names.h"

namespace varno::test {
namespace {

constexpr uint32_t kDtFlags = 0x80004474;
constexpr uint32_t kEpFlags = 0x8000455E;
constexpr uint32_t kNotePlayer = 0x80004479;
constexpr uint32_t kInitAmplifier = 0x80004573;
constexpr uint32_t kCustomPlayer = 0x80004455;
constexpr uint32_t kPlayerName = 0x80004459;
constexpr uint32_t kCreator = 0x8000445A;
constexpr uint32_t kGetModuleInfo = 0x80004550;
constexpr uint32_t kNewModuleInfo = 0x80004566;
constexpr uint32_t kConfig = 0x80004460;
constexpr uint32_t kDeliBaseTag = 0x80004473;
constexpr uint32_t kEagleBaseTag = 0x8000457A;

using SlavePlayerTest = PlayerTest;

struct KindCase {
    const char* what;
    const char* magic;
    std::vector<std::pair<uint32_t, uint32_t>> tags;  // plain values
    uint32_t kind;
    uint16_t flags;
    const char* formatTag;
    const char* formatTitle;
};

TEST_F(SlavePlayerTest, KindFlagsAndNamesFollowTheHeaderAndTags) {
    const KindCase cases[] = {
        {"DeliTracker header", "DELIRIUM", {}, 1, 0, "", "Custom Player"},
        {"EaglePlayer header", "EPPLAYER", {}, 2, 0, "", "Custom Player"},
        {"no player header", "NOTAPLAY", {{kDtFlags, 1}}, 0, 0, "", ""},
        {"NotePlayer before the others", "DELIRIUM", {{kNotePlayer, 1}, {kInitAmplifier, 1}, {kCustomPlayer, 1}}, 3, 0, "", "Custom Player"},
        {"InitAmplifier before CustomPlayer", "EPPLAYER", {{kInitAmplifier, 1}, {kCustomPlayer, 1}}, 4, 0, "", "Custom Player"},
        {"CustomPlayer tag", "DELIRIUM", {{kCustomPlayer, 1}}, 5, 0, "CUST", "Custom Module"},
        {"Flags bit 0 makes it custom", "DELIRIUM", {{kDtFlags, 1}}, 5, 1, "CUST", "Custom Module"},
        {"Flags bit 0 wins over NotePlayer", "DELIRIUM", {{kNotePlayer, 1}, {kDtFlags, 3}}, 5, 3, "CUST", "Custom Module"},
        {"Flags without bit 0", "DELIRIUM", {{kDtFlags, 2}}, 1, 2, "", "Custom Player"},
        {"only the low 16 bits of Flags", "DELIRIUM", {{kDtFlags, 0x30002}}, 1, 2, "", "Custom Player"},
        {"EaglePlayer Flags halved", "EPPLAYER", {{kEpFlags, 6}}, 2, 3, "", "Custom Player"},
        {"DeliTracker Flags before EaglePlayer Flags", "EPPLAYER", {{kEpFlags, 6}, {kDtFlags, 4}}, 2, 4, "", "Custom Player"},
        {"a later pair overwrites", "DELIRIUM", {{kDtFlags, 1}, {kDtFlags, 2}}, 1, 2, "", "Custom Player"},
    };
    for (const KindCase& c : cases) {
        SCOPED_TRACE(c.what);
        PlayerImage image(c.magic);
        for (auto [id, value] : c.tags) image.tagValue(id, value);
        auto p = parse(image, "entry.name");
        ASSERT_TRUE(p);
        EXPECT_EQ(p->kind, c.kind);
        EXPECT_EQ(p->flags, c.flags);
        EXPECT_STREQ(p->formatTag, c.formatTag);
        EXPECT_STREQ(p->formatTitle, c.formatTitle);
        EXPECT_STREQ(p->fileName, "entry.name");
    }
}

TEST_F(SlavePlayerTest, TagsLandByIdAndOthersAreSkipped) {
    PlayerImage image;
    image.tagValue(0x80004454, 11);               // first DeliTracker id
    image.tagValue(0x8000448D, 22);               // last: MiscText
    image.tagValue(0x8000448E, 99);               // one past the DeliTracker range
    image.tagValue(0x80004550 + 46, 33);          // SamplePlayer, the last EaglePlayer id
    image.tagValue(0x80004550 + 47, 99);          // one past the EaglePlayer range
    image.tagValue(0x80004453, 99);               // one below the DeliTracker range
    image.tagValue(0x12345678, 99);
    auto p = parse(image);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->dtTags[DTP_InternalPlayer], 11u);
    EXPECT_EQ(p->dtTags[DTP_MiscText], 22u);
    EXPECT_EQ(p->epTags[EP_SamplePlayer], 33u);
    for (int k = 1; k < kDtTagCount - 1; ++k) EXPECT_EQ(p->dtTags[k], 0u) << dtTagNames[k];
    for (int k = 0; k < kEpTagCount - 1; ++k) EXPECT_EQ(p->epTags[k], 0u) << epTagNames[k];
}

TEST_F(SlavePlayerTest, CreatorLineBreaksBecomeReturnAndTab) {
    std::string many;
    for (int i = 0; i < 40; ++i) many += "x\n";
    std::string manyExpected;
    for (int i = 0; i < 40; ++i) manyExpected += i < 31 ? "x\r\t" : "x\n";
    const std::pair<std::string, std::string> cases[] = {
        {"a\nb", "a\r\tb"},
        {"no breaks", "no breaks"},
        {"\n", "\r\t"},
        {"", ""},
        {"two\n\nbreaks", "two\r\t\r\tbreaks"},
        // The text's buffer has room for 31 tabs; later line feeds stay as they are.
        {many, manyExpected},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        PlayerImage image;
        image.tag(kCreator, image.text(text));
        auto p = parse(image);
        ASSERT_TRUE(p && p->creatorText);
        EXPECT_EQ(std::string(p->creatorText), expected);
    }
}

TEST_F(SlavePlayerTest, NoCreatorTagLeavesNoText) {
    auto p = parse(PlayerImage());
    ASSERT_TRUE(p);
    EXPECT_EQ(p->creatorText, nullptr);
}

struct PrefixCase {
    const char* playerName;
    const char* prefix;
    const char* formatTag;
};

TEST_F(SlavePlayerTest, ShortFormatNameFromTheModuleInformationPrefix) {
    const PrefixCase cases[] = {
        {"Some Player", "mod.", "MOD"},
        {"Some Player", "mod.x", "MOD"},
        {"Some Player", ".mod", "MOD"},
        {"Some Player", "a.b.c", "A.B"},       // cut at the last dot
        {"Some Player", "abcdefgh.x", ""},     // only seven characters are read: no dot among them
        {"Some Player", "mod", ""},            // no dot: left to the format-name table
        {"JamCracker", "mod", "JAM"},          // ... which knows this player
        {"JamCracker", "jc.", "JAM"},          // the table's row is applied last
        {"Some Player", "abcdef.", "ABCDEF"},
    };
    for (const PrefixCase& c : cases) {
        SCOPED_TRACE(std::string(c.playerName) + " / " + c.prefix);
        PlayerImage image;
        const uint32_t text = image.text(c.prefix);
        const uint32_t list = image.longWord(0x80004D00);  // another module-information tag first
        image.longWord(0);
        image.longWord(MI_Prefix);
        image.address(text);
        image.longWord(0);
        image.longWord(0);
        image.tag(kGetModuleInfo, image.loadingA0(list));
        image.tag(kPlayerName, image.text(c.playerName));
        auto p = parse(image);
        ASSERT_TRUE(p);
        EXPECT_STREQ(p->formatTag, c.formatTag);
    }
}

TEST_F(SlavePlayerTest, NewModuleInfoNamesTheLongThatHoldsTheList) {
    PlayerImage image;
    const uint32_t text = image.text("thx.");
    const uint32_t list = image.longWord(MI_Prefix);
    image.address(text);
    image.longWord(0);
    image.longWord(0);
    image.tag(kNewModuleInfo, image.address(list));
    auto p = parse(image);
    ASSERT_TRUE(p);
    EXPECT_STREQ(p->formatTag, "THX");

    PlayerImage empty;
    empty.tag(kNewModuleInfo, empty.longWord(0));  // the player fills it in later
    auto q = parse(empty);
    ASSERT_TRUE(q);
    EXPECT_STREQ(q->formatTag, "");
}

TEST_F(SlavePlayerTest, BasePointersAreHandedOverAndConfigRuns) {
    PlayerImage image;
    const uint32_t deli = image.longWord(0);
    const uint32_t eagle = image.longWord(0);
    const uint32_t configRuns = image.words({0});
    image.tag(kDeliBaseTag, deli);
    image.tag(kEagleBaseTag, eagle);
    image.tag(kConfig, image.counting(configRuns));
    auto p = parse(image);
    ASSERT_TRUE(p);
    const uint32_t base = m().system->deliBase->base;
    EXPECT_EQ(main().readLong(at(*p, deli)), base);
    EXPECT_EQ(main().readLong(at(*p, eagle)), base);
    EXPECT_EQ(main().readWord(at(*p, configRuns)), 1u);
    EXPECT_TRUE(errors.empty());
}

struct ChannelCase {
    const char* playerName;
    uint8_t channels;
    const char* formatTitle;
    const char* formatTag;
};

TEST_F(SlavePlayerTest, ChannelCountAndShownNames) {
    const ChannelCase cases[] = {
        {"ProTracker", 4, "ProTracker", ""},
        {"digibooster", 8, "digibooster", "DIGI"},
        {"TFMX 7V", 7, "TFMX 7V", ""},
        {"jochen hippel 7v", 7, "jochen hippel 7v", ""},
        {"Mugician II", 7, "Mugician II", ""},
        {"EMS v6", 32, "EMS v6", ""},
        // Counted by the player's own name, before the table renames it.
        {"MED/OctaMED (8ch)", 8, "MED/OctaMED", "MED"},
        {"MED/OctaMED (4ch)", 4, "MED/OctaMED", "MED"},
    };
    for (const ChannelCase& c : cases) {
        SCOPED_TRACE(c.playerName);
        PlayerImage image;
        image.tag(kPlayerName, image.text(c.playerName));
        auto p = parse(image);
        ASSERT_TRUE(p);
        EXPECT_STREQ(p->playerName, c.playerName);
        EXPECT_EQ(p->channels, c.channels);
        EXPECT_STREQ(p->formatTitle, c.formatTitle);
        EXPECT_STREQ(p->formatTag, c.formatTag);
    }
}

TEST_F(SlavePlayerTest, LongPlayerNamesAreCutToTheTitleField) {
    PlayerImage image;
    const std::string name(100, 'n');
    image.tag(kPlayerName, image.text(name));
    auto p = parse(image);
    ASSERT_TRUE(p);
    EXPECT_EQ(std::string(p->playerName), name);
    EXPECT_EQ(std::string(p->formatTitle), name.substr(0, 31));
}

} // namespace
} // namespace varno::test
