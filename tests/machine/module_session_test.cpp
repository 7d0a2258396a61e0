// Opening and closing modules: archive players, custom modules, bad input, and
// file checks made while a module plays.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "amigaos/system.h"
#include "players/player_archive.h"
#include "session/module_session.h"
#include "amigaos/deli_base.h"
#include "players/player_fixture.h"

namespace varno::test {
namespace {

constexpr uint32_t kCheck1 = 0x8000445B;
constexpr uint32_t kInterrupt = 0x8000445E;
constexpr uint32_t kCustomPlayer = 0x80004455;

// A player that accepts modules starting with "SONG" and counts its calls of
// StopInt, EndSound and EndPlayer.
struct CountingPlayer {
    PlayerImage image;
    uint32_t counters = 0;

    explicit CountingPlayer(const char* magic = "DELIRIUM", bool custom = false) : image(magic) {
        // cmpi.l #'SONG',([36,a5]) via movea.l 36(a5),a0 ; cmpi.l #'SONG',(a0) ; seq ... :
        // movea.l 36(a5),a0 ; moveq #0,d0 ; cmpi.l #'SONG',(a0) ; beq.s 1f ; moveq #-1,d0 ; 1: rts
        const uint32_t check = image.words({0x206D, 0x0024, 0x7000, 0x0C90, 0x534F, 0x4E47, 0x6702, 0x70FF, 0x4E75});
        if (custom)
            image.tagValue(kCustomPlayer, 1);
        else
            image.tag(kCheck1, check);
        counters = image.longWord(0);
        image.longWord(0);
        image.tag(0x80004468, image.counting(counters));      // StopInt
        image.tag(0x80004466, image.counting(counters + 2));  // EndSound
        image.tag(0x80004464, image.counting(counters + 4));  // EndPlayer
        image.tag(kInterrupt, image.rts());
    }
};

const std::vector<uint8_t> kSong = {'S', 'O', 'N', 'G', 1, 2, 3};

using ModuleSessionTest = PlayerTest;

TEST_F(ModuleSessionTest, OpenPlacesTheModuleAndStartsItsPlayer) {
    CountingPlayer refusing;
    refusing.image = PlayerImage();
    refusing.image.tag(kCheck1, refusing.image.returning(-1));
    CountingPlayer player;
    PlayerArchive& archive = installPlayers({refusing.image, player.image});
    ASSERT_TRUE(openModule(m(), song(), "C:\\mods\\a.song", kSong.data(), uint32_t(kSong.size())));
    EXPECT_EQ(song().playerIndex, 2u);
    EXPECT_EQ(song().moduleAddress, main().resetCursor) << "the module lies right above the players";
    EXPECT_EQ(song().moduleSize, kSong.size());
    ASSERT_EQ(m().system->deliBase->listCount, 1u);
    EXPECT_EQ(m().system->deliBase->listData[0].address, song().moduleAddress);
    EXPECT_EQ(m().system->deliBase->listData[0].size, kSong.size());
    EXPECT_STREQ(song().moduleFileName, "a.song");
    EXPECT_NE(song().timerCode, 0u);
    EXPECT_GE(main().markCursor, song().moduleAddress + uint32_t(kSong.size()));
    EXPECT_TRUE(errors.empty());

    const uint32_t counters = archive.player(2)->entry + player.counters;
    closeModule(m(), song());
    EXPECT_EQ(main().readWord(counters), 1u) << "StopInt";
    EXPECT_EQ(main().readWord(counters + 2), 1u) << "EndSound";
    EXPECT_EQ(main().readWord(counters + 4), 1u) << "EndPlayer";
    EXPECT_EQ(currentPlayer(m(), song()), nullptr);
    EXPECT_EQ(song().timerCode, 0u);

    // A second open starts from a reset machine: the same place, one list entry.
    ASSERT_TRUE(openModule(m(), song(), "b.song", kSong.data(), uint32_t(kSong.size())));
    EXPECT_EQ(song().moduleAddress, main().resetCursor);
    EXPECT_EQ(m().system->deliBase->listCount, 1u);
}

TEST_F(ModuleSessionTest, UnplayableInputFailsCleanly) {
    installPlayers({CountingPlayer().image});
    const std::vector<uint8_t> other = {'N', 'O', 'P', 'E'};
    std::vector<uint8_t> huge(kMainMemorySize + 16, 0);
    std::memcpy(huge.data(), "SONG", 4);
    struct Case {
        const char* what;
        const uint8_t* data;
        uint32_t size;
    };
    const Case cases[] = {
        {"no player accepts it", other.data(), uint32_t(other.size())},
        {"no bytes", other.data(), 0},
        {"no data at all", nullptr, 0},
        {"larger than main memory", huge.data(), uint32_t(huge.size())},
        {"EASO data larger than main memory", reinterpret_cast<const uint8_t*>("EASO"), 0xFFFFFFF0u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(openModule(m(), song(), "x.mod", c.data, c.size));
        EXPECT_EQ(currentPlayer(m(), song()), nullptr);
        EXPECT_EQ(song().timerCode, 0u);
        EXPECT_EQ(main().cursor, main().resetCursor) << "nothing stays allocated";
        closeModule(m(), song());  // harmless with nothing open
    }
    EXPECT_TRUE(errors.empty());
}

TEST_F(ModuleSessionTest, CustomModuleBringsItsOwnPlayer) {
    installPlayers({CountingPlayer().image});
    CountingPlayer custom("DELIRIUM", true);
    const std::vector<uint8_t> file = custom.image.file();
    EXPECT_EQ(identifyModule(m(), song(), "x.cust", file.data(), uint32_t(file.size()), uint32_t(file.size())), 0);
    ASSERT_TRUE(openModule(m(), song(), "/mods/x.cust", file.data(), uint32_t(file.size())));
    EXPECT_EQ(song().playerIndex, 0u);
    const SlavePlayer* player = m().players->player(0);
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->kind, 5u);
    EXPECT_STREQ(player->formatTitle, "Custom Module");
    EXPECT_STREQ(player->fileName, "/mods/x.cust");
    EXPECT_STREQ(song().formatName, "CUST");
    EXPECT_NE(song().timerCode, 0u);
    const uint32_t counters = player->entry + custom.counters;
    closeModule(m(), song());
    EXPECT_EQ(main().readWord(counters + 4), 1u) << "EndPlayer";
    EXPECT_EQ(m().players->player(0), nullptr) << "the custom module's player is released";
}

TEST_F(ModuleSessionTest, CustomModuleThatDoesNotLoadFails) {
    installPlayers({CountingPlayer().image});
    std::vector<uint8_t> file = CountingPlayer("DELIRIUM", true).image.file();
    file.erase(file.end() - 12, file.end());  // the relocations are cut short: the loader refuses it
    ASSERT_TRUE(isCustomModule(file.data(), uint32_t(file.size())));
    EXPECT_FALSE(openModule(m(), song(), "x.cust", file.data(), uint32_t(file.size())));
    EXPECT_EQ(currentPlayer(m(), song()), nullptr);
    EXPECT_EQ(m().players->player(0), nullptr);
}

TEST_F(ModuleSessionTest, FileChecksLeaveThePlayingModuleAlone) {
    installPlayers({CountingPlayer().image});
    ASSERT_TRUE(openModule(m(), song(), "/mods/a.song", kSong.data(), uint32_t(kSong.size())));
    const uint32_t base = m().system->deliBase->base;
    const uint32_t module = song().moduleAddress;
    const uint32_t mark = main().markCursor;
    const std::vector<uint8_t> other = {'S', 'O', 'N', 'G', 9};
    EXPECT_TRUE(checkModule(m(), song(), "/other/b.song", other.data(), uint32_t(other.size()), 5000));
    EXPECT_FALSE(checkModule(m(), song(), "/other/c.txt", reinterpret_cast<const uint8_t*>("text"), 4, 4));
    EXPECT_EQ(song().playerIndex, 1u);
    EXPECT_EQ(low().readLong(base + kDeliCheckData), module);
    EXPECT_EQ(low().readLong(base + kDeliCheckSize), kSong.size());
    EXPECT_STREQ(song().modulePath, "/mods/a.song");
    EXPECT_STREQ(song().moduleDirectory, "/mods/");
    EXPECT_EQ(main().markCursor, mark);
    EXPECT_GE(main().cursor, mark) << "checks work above the open module";
    EXPECT_EQ(main().readLong(module), 0x534F4E47u) << "the module's data is untouched";
}

TEST_F(ModuleSessionTest, HostFilesThePlayerLeftOpenAreClosedWithTheModule) {
    const std::string companion = (folder / "companion.bin").string();
    std::ofstream(companion, std::ios::binary) << "samples";
    // InitPlayer opens the companion file through dos.library and keeps it:
    // movea.l 4(a5),a6 ; move.l #name,d1 ; move.l #1005,d2 ; jsr -30(a6) ; moveq #0,d0 ; rts
    CountingPlayer player;
    const uint32_t name = player.image.text(companion);
    const uint32_t initPlayer = player.image.words({0x2C6D, 0x0004, 0x223C});
    player.image.address(name);
    player.image.words({0x243C, 0x0000, 0x03ED, 0x4EAE, 0xFFE2, 0x7000, 0x4E75});
    player.image.tag(0x80004463, initPlayer);
    installPlayers({player.image});
    PortableHost& host = PortableHost::instance();

    ASSERT_TRUE(openModule(m(), song(), "a.song", kSong.data(), uint32_t(kSong.size())));
    EXPECT_EQ(host.openFileCount(), 1u) << "the player holds its file";
    closeModule(m(), song());
    EXPECT_EQ(host.openFileCount(), 0u);

    // Opening the next module without a close lets go of the files as well.
    ASSERT_TRUE(openModule(m(), song(), "a.song", kSong.data(), uint32_t(kSong.size())));
    EXPECT_EQ(host.openFileCount(), 1u);
    ASSERT_TRUE(openModule(m(), song(), "b.song", kSong.data(), uint32_t(kSong.size())));
    EXPECT_EQ(host.openFileCount(), 1u) << "only the new module's file";
    closeModule(m(), song());
    EXPECT_EQ(host.openFileCount(), 0u);
    EXPECT_TRUE(errors.empty());
}

} // namespace
} // namespace varno::test
