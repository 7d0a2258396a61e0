// The varno command: its outputs, exit codes and error lines, and that what it
// writes is what the plugin's process entry returns.
#include <sndfile.h>

#include "machine/amiga_machine.h"
#include "session/song.h"
#include "plugin/command_line_fixture.h"

namespace varno::test {
namespace {

TEST_F(CommandLineTest, ErrorsNameTheFileAndTheCause) {
    const std::string junk = writeFile("junk.bin", "nothing to play");
    const struct {
        std::string arguments;
        int exitCode;
        std::string line;
    } cases[] = {
        {p + "render " + folder.string() + "/missing.mod -o x.wav", 1, "missing.mod: no such file\n"},
        {p + "render " + junk + " -o x.wav", 1, "junk.bin: no player recognises this file\n"},
        {"--players /nowhere/players.dat render " + module + " -o x.wav", 1, "no such player archive\n"},
        {p + "render " + module + " -o /nowhere/x.wav", 1, "/nowhere/x.wav: cannot be written"},
        {p + "render " + module + " -o x.ogg", 2,
         "varno render: -o x.ogg: the output must end in .wav or .flac, or be - for standard output (see varno render "
         "--help)\n"},
        {p + "render " + module + " -o x.flac --bits float", 2, "-o x.flac: FLAC holds 16 or 24 bits"},
        {p + "render " + module + " -o x.wav --format flac", 2, "--format flac disagrees with -o x.wav, whose extension names its container"},
        {p + "render " + module + " -o - --format flac", 2, "--format names the container of files"},
        {p + "render " + module + " --subsong 4 -o x.wav", 1, "there is no subsong 4 (the module has 3)\n"},
        {p + "render " + module + " --rate 5 -o x.wav", 2,
         "varno render: --rate: must be a sample rate in Hz from 8000 to 192000, not \"5\" (see varno render --help)\n"},
        {p + "render " + module + " --rate abc -o x.wav", 2, "--rate: must be a sample rate in Hz from 8000 to 192000, not \"abc\""},
        {p + "render " + module + " --start 1:75 -o x.wav", 2, "--start: must be seconds (90 or 1:30), not \"1:75\""},
        {p + "render " + module + " " + module + " -o x.wav", 2, "-o names the output of one file"},
        {p + "render " + module + " --subsong 2 --all-subsongs -o x.wav", 2, "exclude each other"},
        {p + "render " + module + " --bogus -o x.wav", 2, "render: unknown option \"--bogus\""},
        {p + "render " + module + " --start 3 --subsong 2 -o x.wav", 1,
         "song.vts subsong 2: the song ends at 0:0"},
        {p + "render " + module + " --start 1 --end 0.5 -o x.wav", 1, "--end 0:00.500 is not after --start 0:01\n"},
        {p + "render " + module + " --songend off --time 0 -o x.wav", 1,
         "song.vts subsong 1: nothing but silence ends this render (no --time limit, and --songend off): give "
         "--duration or --end, or --force to render until silence\n"},
        {"bogus", 2, "varno: unknown command \"bogus\" (commands: play, render, info, check, players, settings, help)"},
        {"--bogus", 2, "varno: unknown option \"--bogus\" (see varno --help)\n"},
        {"help bogus", 2, "varno help: unknown command \"bogus\""},
        {p + "info", 2, "varno info: no files given (see varno info --help)\n"},
        {p + "info " + module + " --duration 3", 2, "varno info: unknown option \"--duration\" (see varno info --help)\n"},
        {"settings bogus=1", 2, "unknown setting \"bogus\""},
        {"settings surround=yes", 2, "surround must be on or off, not \"yes\""},
        {"settings surround=1", 2, "surround must be on or off, not \"1\""},
        {"--players " + junk + " check " + module, 1, "junk.bin: not a player archive"},
        {p + "render " + module + " --separation 150 -o x.wav", 2, "--separation"},
        {p + "render " + module + " --surround maybe -o x.wav", 2, "--surround: must be on or off, not \"maybe\""},
        {p + "render " + module + " --bits 12 -o x.wav", 2, "--bits: must be 16, 24 or float"},
        {p + "check " + module + " " + junk, 1, ""},
        {"settings surround=perhaps", 2, "surround must be on or off, not \"perhaps\" (see varno settings --help)\n"},
    };
    for (const auto& c : cases) {
        const CommandRun run = varno(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments;
        EXPECT_NE(run.err.find(c.line), std::string::npos) << c.arguments << "\n" << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), c.line.empty() ? 0 : 1) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "x.wav"));
    EXPECT_FALSE(std::filesystem::exists(folder / "x.flac"));
}

TEST_F(CommandLineTest, CheckInfoAndPlayersDescribeTheFiles) {
    const std::string junk = writeFile("junk.bin", "nothing to play");
    const CommandRun check = varno("--players " + players + " check " + module + " " + junk);
    EXPECT_EQ(check.out, module + ": playable by Varno Test Interrupt\n" + junk +
                             ": not playable (no player recognises it)\n");
    EXPECT_EQ(varno("--players " + players + " check " + module).exitCode, 0);

    const CommandRun info = varno("--players " + players + " info --lengths " + module);
    EXPECT_EQ(info.exitCode, 0) << info.err;
    for (const char* line : {"  Format text Varno Test Interrupt - 4ch\n", "  Title       M\xc3\xbcller\n",
                             "  Subsongs    3\n", "  Subsong 2   0:02.000\n", "  Subsong 3   0:01.000\n"})
        EXPECT_NE(info.out.find(line), std::string::npos) << line << "\n" << info.out;

    // --time gives the lengths render and play cut the songs to.
    const CommandRun cut = varno("--players " + players + " info --time 1.5 " + module);
    for (const char* line : {"  Subsong 1   0:01.000\n", "  Subsong 2   0:01.500\n"})
        EXPECT_NE(cut.out.find(line), std::string::npos) << line << "\n" << cut.out;

    const CommandRun list = varno("--players " + players + " players");
    EXPECT_NE(list.out.find("    3  vts2_startint        Varno Test StartInt          VT2"), std::string::npos)
        << list.out;
}

TEST_F(CommandLineTest, SettingsAreStoredBySettingsAndNeverByRender) {
    const CommandRun set = varno("settings stereo_separation=50% interpolation=a1200 default_playtime=0");
    EXPECT_EQ(set.exitCode, 0) << set.err;
    const std::string ini = (folder / "varno" / "varno.ini").string();
    const std::string stored = read(ini);
    for (const char* line : {"stereo_separation=50\n", "interpolation=3\n", "default_playtime=0\n", "surround=1\n"})
        EXPECT_NE(stored.find(line), std::string::npos) << stored;
    const std::string shown = varno("settings").out;
    EXPECT_NE(shown.find("default_playtime   0s       (no limit)"), std::string::npos) << shown;
    EXPECT_NE(shown.find("stereo_separation  50%\n"), std::string::npos) << shown;
    EXPECT_NE(shown.find("interpolation      a1200"), std::string::npos) << shown;
    EXPECT_NE(varno("settings interpolation=a2000").err.find("none, sinc, a500 or a1200"), std::string::npos);

    EXPECT_EQ(varno("--players " + players + " render " + module + " --separation 10 --time 1 -o " +
                    (folder / "a.wav").string())
                  .exitCode,
              0);
    EXPECT_EQ(read(ini), stored);
}

// What varno render writes is, sample for sample, what the process entry gives.
TEST_F(CommandLineTest, RenderedFilesHoldWhatProcessReturns) {
    const struct {
        std::string options;
        uint32_t rate;
        uint32_t channels;
        int separation;
        int interpolation;
        int surround = 1;
    } cases[] = {
        {"--rate 44100 --separation 40 --surround off --interpolation sinc --subsong 2", 44100, 2, 40, 1, 0},
        // An explicit separation is heard: surround gives way, unless it is asked for too.
        {"--separation 40 --subsong 2", 48000, 2, 40, 0, 0},
        {"--separation 40 --surround on --subsong 2", 48000, 2, 40, 0, 1},
        {"--rate 22050 --mono --interpolation none --subsong 2", 22050, 1, 75, 0},
        {"--interpolation a500 --subsong 2", 48000, 2, 75, 2},
        {"--rate 44100 --mono --interpolation a1200 --subsong 2", 44100, 1, 75, 3},
    };
    for (const auto& c : cases) {
        const std::string wav = (folder / "out.wav").string();
        const CommandRun run = varno("--players " + players + " render " + module + " --force --bits float " + c.options + " -o " + wav);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        SF_INFO info{};
        SNDFILE* file = sf_open(wav.c_str(), SFM_READ, &info);
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(uint32_t(info.samplerate), c.rate);
        EXPECT_EQ(uint32_t(info.channels), c.channels);
        std::vector<float> written(size_t(info.frames) * c.channels);
        sf_readf_float(file, written.data(), info.frames);
        sf_close(file);

        pluginSettings.stereo_separation = c.separation;
        pluginSettings.surround = c.surround;
        pluginSettings.interpolation = c.interpolation;
        pluginInstance()->song->updatePan(pluginSettings);
        XmpFormat format{c.rate, c.channels, 0};
        plugin->setFormat(&format);
        ASSERT_TRUE(open(module));
        plugin->setPosition(0x80000001);
        const std::vector<float> processed = processAll({4801});
        EXPECT_EQ(written.size(), processed.size()) << c.options;
        EXPECT_TRUE(written == processed) << c.options;
        plugin->close();
    }
}

} // namespace
} // namespace varno::test
