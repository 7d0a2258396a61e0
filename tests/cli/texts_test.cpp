// The texts the command line makes and reads: checksums, JSON, the progress
// line, the plugin's information text, and the settings' notation.
#include <gtest/gtest.h>

#include <cstring>

#include "cli/json_text.h"
#include "plugin/md5.h"
#include "cli/module_facts.h"
#include "cli/progress.h"
#include "cli/settings_values.h"
#include "cli/version.h"

namespace varno::cli {
namespace {

TEST(Md5Test, RfcTestSuite) {
    const std::pair<std::string, const char*> cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& [text, digest] : cases)
        EXPECT_EQ(md5Hex(reinterpret_cast<const uint8_t*>(text.data()), text.size()), digest) << text;
    // 55 and 56 bytes: the length still fits the last block, or needs one more.
    const std::string a55(55, 'a'), a56(56, 'a');
    EXPECT_EQ(md5Hex(reinterpret_cast<const uint8_t*>(a55.data()), 55), "ef1772b6dff9a122358552954ad0df65");
    EXPECT_EQ(md5Hex(reinterpret_cast<const uint8_t*>(a56.data()), 56), "3b0c8ac703f828b04c6c197006d17218");
}

TEST(JsonTextTest, StringsAreEscapedAndAlwaysValid) {
    EXPECT_EQ(jsonString("plain"), "\"plain\"");
    EXPECT_EQ(jsonString("a\"b\\c\n\t\x01"), "\"a\\\"b\\\\c\\n\\t\\u0001\"");
    EXPECT_EQ(jsonString("M\xc3\xbcller \xe2\x82\xac"), "\"M\xc3\xbcller \xe2\x82\xac\"");
    // Latin-1 bytes, a lone continuation byte, a cut sequence, an overlong form.
    EXPECT_EQ(jsonString("M\xfcller"), "\"M\\ufffdller\"");
    EXPECT_EQ(jsonString("\x80x\xe2\x82"), "\"\\ufffdx\\ufffd\\ufffd\"");
    EXPECT_EQ(jsonString("\xc0\xaf"), "\"\\ufffd\\ufffd\"");
}

TEST(ProgressTest, LineShowsNameTimesPercentSpeedAndTimeLeft) {
    EXPECT_EQ(progressLine("song.mod", 60, 0, 180, 0.5), "song.mod  1:00 / 3:00   33%  120x  0:01 left");
    EXPECT_EQ(progressLine("song.mod", 40, 30, 50, 1), "song.mod  0:40 / 0:50   50%  10x  0:01 left");
    EXPECT_EQ(progressLine("song.mod", 75, 0, 0, 1), "song.mod  1:15  75x");
}

// The player's status line never wraps: on a narrow terminal the format goes,
// then the volume, then the name shortens, and only then is the line cut.
TEST(ProgressTest, StatusLineFitsTheTerminal) {
    const PlayStatus status{"area4-game.mod", 1, 4, 41, 84, "ProTracker - 4ch", 0, false};
    const struct {
        size_t columns;
        std::string line;
    } cases[] = {
        {80, "> area4-game.mod  subsong 2/4  0:41 / 1:24  ProTracker - 4ch  vol +0 dB"},
        {72, "> area4-game.mod  subsong 2/4  0:41 / 1:24  ProTracker - 4ch  vol +0 dB"},
        {71, "> area4-game.mod  subsong 2/4  0:41 / 1:24  vol +0 dB"},
        {50, "> area4-game.mod  subsong 2/4  0:41 / 1:24"},
        {40, "> area\u2026me.mod  subsong 2/4  0:41 / 1:24"},
        {30, "> area4-game.mod  subsong 2/4"},
        {1, ">"},
    };
    for (const auto& c : cases) EXPECT_EQ(playStatusLine(status, c.columns), c.line) << c.columns;
    // Characters, not bytes, are counted; a name is cut between characters.
    EXPECT_EQ(fitLine("Caf\xc3\xa9-M\xc3\xbcller-Caf\xc3\xa9", "  0:41", 16), "Caf\xc3\xa9\u2026Caf\xc3\xa9  0:41");
    const PlayStatus paused{"s.mod", 0, 1, 5, 0, "MOD", -3, true};
    EXPECT_EQ(playStatusLine(paused, 80), "|| s.mod  0:05  MOD  vol -3 dB");
}

TEST(ModuleFactsTest, GeneralInfoAndTagsAreSplit) {
    const auto lines = parseGeneralInfo("Format\tVARNO/MOD\rPlayer\tProTracker\rSubsongs\t2\rSongs\t1. 0:05\r\t2. 0:07\r");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], std::make_pair(std::string("Format"), std::string("VARNO/MOD")));
    EXPECT_EQ(lines[3].second, "1. 0:05\n2. 0:07");
    const char tags[] = "title\0Song\0artist\0Someone\0\0";
    const auto list = parseTags(tags);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1], std::make_pair(std::string("artist"), std::string("Someone")));
    EXPECT_TRUE(parseTags(nullptr).empty());

    ModuleFacts facts;
    facts.formatText = "ProTracker - 4ch";
    facts.general = parseGeneralInfo("Format\tVARNO/MOD\rPlayer\tProTracker\r");
    facts.tags = list;
    const AudioTags written = tagsFor(facts, 2);
    EXPECT_EQ(written.title, "Song");
    EXPECT_EQ(written.artist, "Someone");
    EXPECT_EQ(written.trackNumber, "3");
    EXPECT_EQ(written.comment, "ProTracker - 4ch, played by ProTracker");
    EXPECT_EQ(written.software, std::string("varno ") + kVersion);
}

// The author and the song's message are general lines and tags alike: info shows
// each once; a rendered file's comment starts with the message.
TEST(ModuleFactsTest, AuthorAndCommentShownOnceAndTheCommentTagged) {
    const struct {
        const char* what;
        const char* general;
        std::vector<std::pair<std::string, std::string>> tags;
        std::vector<std::pair<std::string, std::string>> beyond;
        std::string comment;
    } cases[] = {
        {"author and message in both", "Author\tSomeone\rComment\tline one\r\tline two\r",
         {{"title", "Song"}, {"artist", "Someone"}, {"comment", "line one\nline two"}},
         {{"title", "Song"}},
         "line one\nline two\nProTracker - 4ch, played by ProTracker"},
        {"a tag the general text does not show", "Author\tSomeone else\r",
         {{"artist", "Someone"}, {"filetype", "MOD"}},
         {{"artist", "Someone"}, {"filetype", "MOD"}},
         "ProTracker - 4ch, played by ProTracker"},
        {"a message cut short in the general text", "Comment\tline one\r", {{"comment", "line one\nline two"}},
         {{"comment", "line one\nline two"}}, "line one\nline two\nProTracker - 4ch, played by ProTracker"},
    };
    for (const auto& c : cases) {
        ModuleFacts facts;
        facts.formatText = "ProTracker - 4ch";
        facts.general = parseGeneralInfo((std::string("Player\tProTracker\r") + c.general).c_str());
        facts.tags = c.tags;
        EXPECT_EQ(facts.tagsBeyondGeneral(), c.beyond) << c.what;
        EXPECT_EQ(tagsFor(facts, 0).comment, c.comment) << c.what;
    }
}

// What settings shows, settings takes back; values the file held out of range
// are shown as the plugin reads them, with a note.
TEST(SettingsValuesTest, OneNotationBothWays) {
    PluginSettings s;
    for (const SettingDescription& d : describeSettings(s)) {
        PluginSettings back;
        back.stereo_separation = 1;
        back.default_playtime = 1;
        back.interpolation = 3;
        std::string error;
        ASSERT_TRUE(applySetting(d.key + "=" + d.value, back, error)) << d.key << "=" << d.value << ": " << error;
    }
    std::string error;
    for (const auto& [text, percent] : std::vector<std::pair<std::string, int>>{{"50%", 50}, {"75", 75}, {"0%", 0}}) {
        ASSERT_TRUE(applySetting("stereo_separation=" + text, s, error)) << error;
        EXPECT_EQ(s.stereo_separation, percent);
    }
    for (const auto& [text, seconds] : std::vector<std::pair<std::string, int>>{{"180s", 180}, {"3:05", 185}, {"0", 0}}) {
        ASSERT_TRUE(applySetting("default_playtime=" + text, s, error)) << error;
        EXPECT_EQ(s.default_playtime, seconds);
    }
    for (const char* bad : {"stereo_separation=101%", "stereo_separation=%", "default_playtime=-5", "default_playtime=3:5",
                            "surround=yes", "surround=1", "seeking=0", "interpolation=2", "nokey=1", "novalue"})
        EXPECT_FALSE(applySetting(bad, s, error)) << bad;

    PluginSettings folded;
    folded.stereo_separation = 0; // 500 in the file, read as 0
    folded.default_playtime = -5;
    const auto shown = describeSettings(folded, {{"stereo_separation", 500}, {"surround", 7}, {"interpolation", 9}});
    EXPECT_EQ(shown[0].value, "0%");
    EXPECT_NE(shown[0].note.find("500 is above 100 and reads as 0"), std::string::npos);
    EXPECT_NE(shown[1].note.find("7 reads as on"), std::string::npos);
    EXPECT_EQ(shown[3].value, "-5s");
    EXPECT_NE(shown[3].note.find("songs stop as they start unless their player signals the end"), std::string::npos);
    EXPECT_NE(shown[4].note.find("9 plays as sinc"), std::string::npos);
}

} // namespace
} // namespace varno::cli
