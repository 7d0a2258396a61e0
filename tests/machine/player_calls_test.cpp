// The player calls made when a module is opened: subsong ranges, the tick
// source, the path texts, set-up failures and the module information.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "amigaos/system.h"
#include "hardware/cia.h"
#include "hardware/custom_chips.h"
#include "players/player_archive.h"
#include "session/module_session.h"
#include "session/player_calls.h"
#include "amigaos/deli_base.h"
#include "players/player_fixture.h"

namespace varno::test {
namespace {

constexpr uint32_t kCheck1 = 0x8000445B;
constexpr uint32_t kSubSongRange = 0x80004462;
constexpr uint32_t kNewSubSongRange = 0x80004472;
constexpr uint32_t kNextSong = 0x8000446F;
constexpr uint32_t kInterrupt = 0x8000445E;
constexpr uint32_t kStartInt = 0x80004467;
constexpr uint32_t kInitPlayer = 0x80004463;
constexpr uint32_t kExtLoad = 0x8000445D;
constexpr uint32_t kModuleName = 0x80004483;
constexpr uint32_t kGetModuleInfo = 0x80004550;
constexpr uint32_t kPlayerName = 0x80004459;

const uint8_t kModule[] = {'S', 'O', 'N', 'G', 0, 1, 2, 3, 4, 5};

PlayerImage accepting() {
    PlayerImage image;
    image.tag(kCheck1, image.returning(0));
    return image;
}

using PlayerCallsTest = PlayerTest;

struct RangeCase {
    const char* what;
    std::function<void(PlayerImage&)> build;
    uint32_t first, last, count;
};

// moveq #d0,d0 ; move.l #d1,d1 ; rts
uint32_t subSongRange(PlayerImage& image, int8_t d0, uint32_t d1) {
    return image.words({uint16_t(0x7000 | uint8_t(d0)), 0x223C, uint16_t(d1 >> 16), uint16_t(d1), 0x4E75});
}
// Steps the subsong word at 44(a5) up to limit: cmpi.w #limit,44(a5) ; beq.s 1f ;
// addq.w #1,44(a5) ; 1: rts
uint32_t nextSongUpTo(PlayerImage& image, uint16_t limit) {
    return image.words({0x0C6D, limit, 0x002C, 0x6704, 0x526D, 0x002C, 0x4E75});
}

TEST_F(PlayerCallsTest, SubsongRanges) {
    const RangeCase cases[] = {
        {"SubSongRange 1, 0x105", [](PlayerImage& i) { i.tag(kSubSongRange, subSongRange(i, 1, 0x105)); }, 1, 5, 5},
        {"only the low byte of D1, capped at 63", [](PlayerImage& i) { i.tag(kSubSongRange, subSongRange(i, 2, 0x12FF)); }, 2, 63, 62},
        {"last below first: the first alone", [](PlayerImage& i) { i.tag(kSubSongRange, subSongRange(i, 5, 2)); }, 5, 5, 1},
        {"first above 63", [](PlayerImage& i) { i.tag(kSubSongRange, subSongRange(i, 70, 80)); }, 63, 63, 1},
        {"NewSubSongRange table",
         [](PlayerImage& i) { i.tag(kNewSubSongRange, i.words({3, 2, 4})); }, 2, 4, 3},
        {"NewSubSongRange reversed",
         [](PlayerImage& i) { i.tag(kNewSubSongRange, i.words({0, 4, 1})); }, 4, 4, 1},
        {"SubSongRange before NewSubSongRange",
         [](PlayerImage& i) {
             i.tag(kNewSubSongRange, i.words({0, 7, 9}));
             i.tag(kSubSongRange, subSongRange(i, 0, 1));
         }, 0, 1, 2},
        {"NextSong that never moves", [](PlayerImage& i) { i.tag(kNextSong, i.rts()); }, 0, 0, 1},
        {"NextSong up to 3", [](PlayerImage& i) { i.tag(kNextSong, nextSongUpTo(i, 3)); }, 0, 3, 4},
        {"NextSong that never stops", [](PlayerImage& i) { i.tag(kNextSong, i.words({0x526D, 0x002C, 0x4E75})); }, 0, 63, 64},
        {"no subsong information", [](PlayerImage&) {}, 0, 0, 1},
    };
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(c.what);
        PlayerImage image = accepting();
        c.build(image);
        installPlayers({image});
        ASSERT_TRUE(openModule(m(), song(), "song.mod", kModule, sizeof kModule));
        EXPECT_EQ(song().firstSubsong, c.first);
        EXPECT_EQ(song().lastSubsong, c.last);
        EXPECT_EQ(song().subsongCount, c.count);
        EXPECT_EQ(song().currentSubsong, c.first) << "the first subsong plays";
        for (uint32_t s = 0; s < uint32_t(kMaxSubsongs); ++s)
            EXPECT_EQ(song().subsongValid[s], s >= c.first && s <= c.last) << s;
        EXPECT_EQ(song().totalSeconds, 0.0f);
        closeModule(m(), song());
    }
    EXPECT_TRUE(errors.empty());
}

TEST_F(PlayerCallsTest, SplitPathAtTheLastSeparator) {
    struct Case {
        const char* path;
        const char* directory;
        const char* fileName;
    };
    const Case cases[] = {
        {"song.mod", "", "song.mod"},
        {"C:\\Music\\song.mod", "C:\\Music\\", "song.mod"},
        {"/home/x/song.mod", "/home/x/", "song.mod"},
        {"C:\\a/b\\c/d.mod", "C:\\a/b\\c/", "d.mod"},
        {"/mods/pack.zip|inner/song.mod", "/mods/pack.zip|inner/", "song.mod"},
        {"/mods/pack.zip|song.mod", "/mods/pack.zip|", "song.mod"},
        {"dir/", "dir/", ""},
        {"", "", ""},
    };
    const CDeliBase& deli = *m().system->deliBase;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        std::strcpy(m().system->dos->currentDirectory, "stale/");
        splitPath(m(), song(), c.path);
        EXPECT_STREQ(song().modulePath, c.path);
        EXPECT_STREQ(song().moduleDirectory, c.directory);
        EXPECT_STREQ(song().moduleFileName, c.fileName);
        EXPECT_STREQ(m().system->dos->currentDirectory, "");
        char text[512];
        low().readString(low().readLong(deli.base + kDeliDirectory), text, 511);
        EXPECT_STREQ(text, c.directory);
        low().readString(low().readLong(deli.base + kDeliFileName), text, 511);
        EXPECT_STREQ(text, c.fileName);
        low().readString(low().readLong(deli.base + kDeliPath), text, 511);
        EXPECT_STREQ(text, c.path);
    }
}

TEST_F(PlayerCallsTest, SetUpFailureFailsTheOpen) {
    struct Case {
        const char* what;
        uint32_t tag;
        int8_t result;
        bool opens;
    };
    const Case cases[] = {
        {"InitPlayer fails", kInitPlayer, 1, false},
        {"ExtLoad fails", kExtLoad, -1, false},
        {"InitPlayer succeeds", kInitPlayer, 0, true},
        {"ExtLoad succeeds", kExtLoad, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PlayerImage image = accepting();
        image.tag(c.tag, image.returning(c.result));
        image.tag(kInterrupt, image.rts());
        installPlayers({image});
        EXPECT_EQ(openModule(m(), song(), "song.mod", kModule, sizeof kModule), c.opens);
        if (!c.opens) {
            EXPECT_EQ(currentPlayer(m(), song()), nullptr) << "nothing plays after a failed open";
            EXPECT_EQ(song().timerCode, 0u);
        } else {
            EXPECT_EQ(song().playerIndex, 1u);
            EXPECT_NE(song().timerCode, 0u);
        }
        closeModule(m(), song());
    }
}

TEST_F(PlayerCallsTest, SongTitleAndFormatNameFromTheModuleInformation) {
    struct Case {
        const char* prefix;
        const char* formatName;
    };
    const Case cases[] = {
        {"mdat.song", "MDAT"},
        {".thx", "THX"},
        {"nodot", "TAG"},  // the player's own short name stays
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.prefix);
        PlayerImage image = accepting();
        const uint32_t prefix = image.text(c.prefix);
        const uint32_t title = image.text("Title From Info");
        const uint32_t list = image.longWord(MI_SongName);
        image.address(title);
        image.longWord(MI_Prefix);
        image.address(prefix);
        image.longWord(0);
        image.longWord(0);
        image.tag(kModuleName, image.text("Module Name"));
        image.tag(kPlayerName, image.text("Some Player"));
        image.tag(kGetModuleInfo, image.loadingA0(list));
        installPlayers({image});
        // The player's short name as loaded: the prefix at load time gives it,
        // so overwrite it to see what the module information changes.
        std::strcpy(m().players->player(1)->formatTag, "TAG");
        ASSERT_TRUE(openModule(m(), song(), "song.mod", kModule, sizeof kModule));
        EXPECT_STREQ(song().songTitle, "Title From Info");
        EXPECT_STREQ(song().formatName, c.formatName);
        closeModule(m(), song());
    }
}

TEST_F(PlayerCallsTest, ModuleNameGivesTheTitleWithoutModuleInformation) {
    PlayerImage image = accepting();
    image.tag(kModuleName, image.text(std::string(80, 't')));
    installPlayers({image});
    ASSERT_TRUE(openModule(m(), song(), "song.mod", kModule, sizeof kModule));
    EXPECT_EQ(std::string(song().songTitle), std::string(63, 't'));
}

// One entry of a module-information list: a text, or a plain number.
struct InfoItem {
    uint32_t tag;
    std::string text;
    uint32_t number = 0;
};

// What a player reports reaches the song as it is shown: texts converted from
// ISO 8859-1 once, here; voices believed within reason; what the song does not
// say taken from its player.
TEST_F(PlayerCallsTest, ModuleInformationAsItIsShown) {
    const std::string e63(63, '\xe9'), e63utf8 = [] {
        std::string s;
        for (int i = 0; i < 63; ++i) s += "\xc3\xa9";
        return s;
    }();
    const struct {
        const char* what;
        std::vector<InfoItem> items;
        std::string title, author, comment, formatTitle;
        int32_t voices;
        std::vector<std::string> names;
    } cases[] = {
        {"nothing reported: the player's name and voices", {}, "", "", "", "Some Player", 4, {}},
        {"Latin-1 title, author and names",
         {{MI_SongName, "Caf\xe9 M\xfcller\xa9"}, {MI_AuthorName, "Tony Vera D\xed" "az  "},
          {MI_SampleName, "(C)Tony Vera D\xed" "az"}, {MI_SampleName, ""}, {MI_SampleName, "tab\there"}},
         "Caf\xc3\xa9 M\xc3\xbcller\xc2\xa9", "Tony Vera D\xc3\xad" "az", "", "Some Player", 4,
         {"(C)Tony Vera D\xc3\xad" "az", "", "tab here"}},
        {"a title of 63 characters, each two bytes shown", {{MI_SongName, e63 + "x"}}, e63utf8, "", "", "Some Player",
         4, {}},
        {"a comment keeps its lines, and is no author", {{MI_Comment, "5/1996\r\nby me\n"}}, "", "", "5/1996\nby me",
         "Some Player", 4, {}},
        {"the song's voices and format", {{MI_Voices, "", 8}, {MI_FormatTitle, "HVL"}}, "", "", "", "HVL", 8, {}},
        {"no voices: the player's", {{MI_Voices, "", 0}}, "", "", "", "Some Player", 4, {}},
        {"more voices than any format: the player's", {{MI_Voices, "", 0xFFFFFFFF}}, "", "", "", "Some Player", 4, {}},
        {"the most voices believed", {{MI_Voices, "", 64}}, "", "", "", "Some Player", 64, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PlayerImage image = accepting();
        std::vector<uint32_t> texts;
        for (const InfoItem& item : c.items) texts.push_back(item.text.empty() ? 0 : image.text(item.text));
        const uint32_t empty = image.text("");
        uint32_t list = 0;
        for (size_t i = 0; i < c.items.size(); ++i) {
            const uint32_t at = image.longWord(c.items[i].tag);
            if (i == 0) list = at;
            if (c.items[i].number || c.items[i].tag == MI_Voices)
                image.longWord(c.items[i].number);
            else
                image.address(texts[i] ? texts[i] : empty);
        }
        const uint32_t end = image.longWord(0);
        image.longWord(0);
        image.tag(kPlayerName, image.text("Some Player"));
        image.tag(kGetModuleInfo, image.loadingA0(c.items.empty() ? end : list));
        installPlayers({image});
        ASSERT_TRUE(openModule(m(), song(), "song.mod", kModule, sizeof kModule));
        const SongInfo& info = song().songInfo;
        EXPECT_EQ(std::string(song().songTitle), c.title);
        EXPECT_EQ(info.author, c.author);
        EXPECT_EQ(info.comment, c.comment);
        EXPECT_EQ(info.formatTitle, c.formatTitle);
        EXPECT_EQ(info.voices, c.voices);
        EXPECT_EQ(info.sampleNames, c.names);
        closeModule(m(), song());
    }
}

struct TimerCase {
    const char* what;
    uint8_t ciaACra, ciaACrb, ciaAIcr, ciaBCra, ciaBCrb, ciaBIcr;
    uint32_t source;
};

TEST_F(PlayerCallsTest, TickSourceIsTheFirstRunningTimer) {
    const TimerCase cases[] = {
        {"no timer runs", 0, 0, 0, 0, 0, 0, 0},
        {"all four run: CIA-B A first", 1, 1, 3, 1, 1, 3, 3},
        {"CIA-B B before CIA-A", 1, 1, 3, 0, 1, 2, 4},
        {"CIA-A A before CIA-A B", 1, 1, 3, 0, 0, 0, 1},
        {"CIA-A B alone", 0, 1, 2, 0, 0, 0, 2},
        {"started without its mask bit", 1, 0, 2, 1, 0, 2, 0},
        {"mask bit without start", 0, 0, 3, 0, 0, 3, 0},
        {"other control bits do not start a timer", 0x08, 0x10, 3, 0xFE, 0, 1, 0},
    };
    // One Interrupt structure per timer, each with its own code and data.
    uint32_t interrupts[4];
    for (uint32_t t = 0; t < 4; ++t) {
        interrupts[t] = main().allocate(22);
        main().writeLong(interrupts[t] + 14, 0x1000 + t);  // is_Data
        main().writeLong(interrupts[t] + 18, 0x2000 + t);  // is_Code
    }
    CCiaResource& ciaa = *m().system->ciaa;
    CCiaResource& ciab = *m().system->ciab;
    ciaa.timerAInterrupt = interrupts[0];
    ciaa.timerBInterrupt = interrupts[1];
    ciab.timerAInterrupt = interrupts[2];
    ciab.timerBInterrupt = interrupts[3];
    for (const TimerCase& c : cases) {
        SCOPED_TRACE(c.what);
        CiaChip& a = *m().ciaA;
        CiaChip& b = *m().ciaB;
        a.CRA = c.ciaACra, a.CRB = c.ciaACrb, a.ICR = c.ciaAIcr;
        b.CRA = c.ciaBCra, b.CRB = c.ciaBCrb, b.ICR = c.ciaBIcr;
        song().timerCode = song().timerData = song().timerSource = 99;
        chooseTickSource(m(), song());
        EXPECT_EQ(song().timerSource, c.source);
        const uint32_t t = c.source == 0 ? 0 : c.source - 1;  // sources 1-4 are the structures 0-3
        EXPECT_EQ(song().timerCode, c.source ? 0x2000 + t : 0u);
        EXPECT_EQ(song().timerData, c.source ? 0x1000 + t : 0u);
    }
}

TEST_F(PlayerCallsTest, InterruptRoutineRunsOnCiaBTimerA) {
    PlayerImage image = accepting();
    const uint32_t interrupt = image.rts();
    image.tag(kInterrupt, interrupt);
    // InitSound: move.w #7094,54(a5) ; rts — a 100 Hz tick.
    image.tag(0x80004465, image.words({0x3B7C, 7094, 0x0036, 0x4E75}));
    installPlayers({image});
    ASSERT_TRUE(openModule(m(), song(), "song.mod", kModule, sizeof kModule));
    const uint32_t base = m().system->deliBase->base;
    const uint32_t code = currentPlayer(m(), song())->entry + interrupt;
    EXPECT_EQ(low().readLong(base + kDeliInterrupt + 18), code);
    EXPECT_EQ(m().system->ciab->timerAInterrupt, base + kDeliInterrupt);
    EXPECT_EQ(song().timerSource, 3u);
    EXPECT_EQ(song().timerCode, code);
    EXPECT_EQ(m().ciaB->TALO, 7094 & 0xFF);
    EXPECT_EQ(m().ciaB->TAHI, 7094 >> 8);
    // 7094 CIA ticks at 709378.9 Hz are 10.0 ms: 480 samples at 48 kHz.
    EXPECT_NEAR(song().tickSeconds, 0.0100003, 1e-6);
    EXPECT_EQ(song().samplesPerTick, 480);
}

TEST_F(PlayerCallsTest, StartIntSwitchesOnTheAudioChannels) {
    PlayerImage image = accepting();
    image.tag(kStartInt, image.rts());
    installPlayers({image});
    ASSERT_TRUE(openModule(m(), song(), "song.mod", kModule, sizeof kModule));
    EXPECT_EQ(m().customChips->dmacon & 0x000F, 0x000F);
    EXPECT_EQ(song().timerSource, 0u) << "no timer runs: the player keeps its own time";
    EXPECT_EQ(song().timerCode, 0u);
}

} // namespace
} // namespace varno::test
