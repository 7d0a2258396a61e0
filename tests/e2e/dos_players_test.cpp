// The dos.library player: companion files opened, read, sought and closed through
// the host, a directory made current, the EaglePlayer configuration from
// xmp-varno.env, and an executable loaded with LoadSeg.
#include "e2e/session_fixture.h"

namespace varno::test {
namespace {

using DosPlayer = SessionTest;

TEST_F(DosPlayer, FilesConfigurationAndLoadSeg) {
    write("vts7.dat", {'D', 'A', 'T', '7', 1, 2, 3, 4, 'E', 'N', 'D', '7'});
    write("vts7_segment", readFile(playersDirectory() + "vts7_segment"));
    ASSERT_TRUE(open(write("song.vts7", module("VTS7"))));
    EXPECT_EQ(songRecord->playerIndex, 8);
    EXPECT_NE(result(0), 0u) << "Open of <dir>vts7.dat";
    EXPECT_EQ(result(4), 8u) << "Read of 8 bytes";
    EXPECT_EQ(result(8), fourCc("DAT7"));
    EXPECT_EQ(result(12), 8u) << "Seek answers the previous position";
    EXPECT_EQ(result(16), fourCc("END7")) << "Seek -4 from the end";
    EXPECT_EQ(result(20), 0u) << "nothing is opened for writing";
    EXPECT_NE(result(24), 0u) << "Lock";
    EXPECT_NE(result(28), 0u) << "Open relative to the current directory";
    EXPECT_EQ(result(32), fourCc("DAT7"));
    EXPECT_NE(result(36), 0u) << "env:eagleplayer/vts7.config from xmp-varno.env";
    EXPECT_EQ(result(40), fourCc("CFG7"));
    EXPECT_EQ(result(44), 300u);
    EXPECT_NE(result(48), 0u) << "LoadSeg";
    EXPECT_EQ(result(52), fourCc("SEG7")) << "the loaded code ran";
    ASSERT_EQ(renderFrames(48000), 48000);
    EXPECT_NEAR(risingCrossings(0, 48000), kPaulaHz / 300 / 16, 4) << "the period from the configuration";
    closeModule(*machine, *songRecord);
    EXPECT_EQ(PortableHost::instance().openFileCount(), 0u) << "every file the player opened was closed";
    EXPECT_TRUE(errors.empty()) << errors.front();
}

} // namespace
} // namespace varno::test
