// varno as a program among others: version, help, unknown commands, options on
// either side of the command, finding its player archive when linked to or
// installed, info for scripts, and settings and file names taken at their word.
#include "plugin/command_line_fixture.h"

namespace varno::test {
namespace {

namespace fs = std::filesystem;

using CommandLineProgramTest = CommandLineTest;

TEST_F(CommandLineProgramTest, BehavesLikeAProgram) {
    const CommandRun version = varno("--version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("varno ", 0), 0u) << version.out;
    const CommandRun bare = varno("");
    EXPECT_EQ(bare.exitCode, 0);
    EXPECT_NE(bare.out.find("Usage: varno"), std::string::npos) << bare.out;
    EXPECT_NE(bare.out.find("play "), std::string::npos) << bare.out;
    // Options of varno itself after the command.
    const CommandRun after = varno("check " + module + " --players " + players);
    EXPECT_EQ(after.exitCode, 0) << after.err;
    EXPECT_EQ(after.out, module + ": playable by Varno Test Interrupt\n");
}

// Each command's help lists what that command takes, and only that.
TEST_F(CommandLineProgramTest, HelpListsWhatEachCommandTakes) {
    const struct {
        std::string arguments;
        std::vector<std::string> shown, notShown;
    } cases[] = {
        {"--help", {"--players", "play", "render", "help", "varno help COMMAND"}, {"ZIP"}},
        {"help", {"--players", "play", "render", "varno help COMMAND"}, {"ZIP"}},
        {"info --help", {"--no-lengths", "--no-cache", "--time", "--players", "archive.zip|entry"},
         {"{", "--lengths,", "--duration", "--end", "--loops"}},
        {"help info", {"--no-lengths", "--players"}, {"{"}},
        {"render --help", {"--separation", "turns the surround effect off", "--time", "Cut every song", "--players",
                           "archive.zip|entry"}, {"{"}},
        {"play --help", {"--players", "Keys:", "archive.zip|entry"}, {"{", "--bits"}},
        {"check --help", {"--players", "archive.zip|entry"}, {"{"}},
        {"players --help", {"--players"}, {"ZIP", "archive.zip", "varno help COMMAND"}},
        {"settings --help", {"stereo_separation", "on|off"}, {"ZIP", "archive.zip", "--players"}},
    };
    for (const auto& c : cases) {
        const CommandRun run = varno(c.arguments);
        EXPECT_EQ(run.exitCode, 0) << c.arguments << "\n" << run.err;
        for (const std::string& text : c.shown) EXPECT_NE(run.out.find(text), std::string::npos) << c.arguments << ": " << text << "\n" << run.out;
        for (const std::string& text : c.notShown) EXPECT_EQ(run.out.find(text), std::string::npos) << c.arguments << ": " << text << "\n" << run.out;
    }
    EXPECT_EQ(varno("help").out, varno("--help").out);
    EXPECT_EQ(varno("help render").out, varno("render --help").out);
}

TEST_F(CommandLineProgramTest, PlayerArchiveFoundThroughLinksAndInstalls) {
    const fs::path defaultArchive = fs::path(VARNO_BINARY_DIR) / "bin" / "xmp-varno.dat";
    if (!fs::exists(defaultArchive)) GTEST_SKIP() << "no default player archive was built";
    const std::string song = std::string(VARNO_SHARED_DIR) + "/modules/over-theme.mod";
    fs::create_directories(folder / "elsewhere");
    fs::create_symlink(varnoPath(), folder / "elsewhere" / "varno");
    CommandRun run = this->run((folder / "elsewhere" / "varno").string() + " players");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("ProTracker"), std::string::npos) << run.out;

    const fs::path prefix = folder / "prefix";
    run = this->run("cmake --install " + std::string(VARNO_BINARY_DIR) + " --prefix " + prefix.string());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    for (const char* file : {"bin/varno", "share/varno/xmp-varno.dat", "share/man/man1/varno.1",
                             "share/bash-completion/completions/varno"})
        EXPECT_TRUE(fs::exists(prefix / file)) << file;
    run = this->run((prefix / "bin" / "varno").string() + " players");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("ProTracker"), std::string::npos) << run.out;
    // The manual page reads as one, where there is a man to read it.
    if (this->run("command -v man").exitCode == 0) {
        run = this->run("man -l " + (prefix / "share/man/man1/varno.1").string() + " | cat");
        EXPECT_NE(run.out.find("varno render song.mod"), std::string::npos) << run.out << run.err;
    }
    run = this->run("bash -c 'source " + (prefix / "share/bash-completion/completions/varno").string() +
                    " && COMP_WORDS=(varno ren) COMP_CWORD=1 && _varno && echo ${COMPREPLY[@]}'");
    EXPECT_EQ(run.out, "render\n") << run.err;
}

TEST_F(CommandLineProgramTest, PlayerArchiveProblemsAreNotCalledUnplayableSongs) {
    const std::string junk = writeFile("junk.dat", "not a zip");
    for (const std::string& archive : {junk, (folder / "missing.dat").string()}) {
        const CommandRun run = varno("check " + module + " --players " + archive);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.find("not playable"), std::string::npos);
        EXPECT_NE(run.err.find(archive == junk ? "junk.dat: not a player archive" : "missing.dat: no such player archive"),
                  std::string::npos) << run.err;
    }
}

TEST_F(CommandLineProgramTest, FileNamesAreTakenAtTheirWord) {
    // A "|" in the name of a file that exists is part of its name.
    const std::string barred = writeModule("a|b.vts", "VTS1", "Barred");
    CommandRun run = varno(p + "check '" + barred + "'");
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_EQ(run.out, barred + ": playable by Varno Test Interrupt\n");
    run = varno(p + "check '" + folder.string() + "/none.zip|x.vts'");
    EXPECT_NE(run.out.find("not playable (no such archive: "), std::string::npos) << run.out;

    // A ZIP archive stands for its entries, in order: a playlist in one file.
    writeModule("other.vts", "VTS1", "Other");
    ASSERT_EQ(this->run("zip -q songs.zip song.vts other.vts").exitCode, 0);
    run = varno(p + "check songs.zip");
    EXPECT_EQ(run.out, "songs.zip|song.vts: playable by Varno Test Interrupt\n"
                       "songs.zip|other.vts: playable by Varno Test Interrupt\n");
    run = varno(p + "render songs.zip -d out --duration 0.1");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(fs::exists(folder / "out" / "song.vts.wav"));
    EXPECT_TRUE(fs::exists(folder / "out" / "other.vts.wav"));
    EXPECT_EQ(varno(p + "render songs.zip -o x.wav").exitCode, 2);
}

// Names as Linux keeps them: the output is named after the file's own name, an
// archive whose name holds a "|" opens its entries, a backslash is a character.
TEST_F(CommandLineProgramTest, OutputsAreNamedAfterTheFilesOwnNames) {
    writeModule("pipe|name.vts", "VTS1", "Barred");
    writeModule("back\\slash.vts", "VTS1", "Backslashed");
    writeModule("x.vts", "VTS1", "In an archive");
    ASSERT_EQ(run("zip -q 'my|songs.zip' x.vts").exitCode, 0);
    const struct {
        std::string input, output;
    } cases[] = {
        {"'pipe|name.vts'", "pipe|name.vts.wav"},
        {"'back\\slash.vts'", "back\\slash.vts.wav"},
        {"'my|songs.zip'", "x.vts.wav"},
        {"'my|songs.zip|x.vts'", "x.vts.wav"},
    };
    for (const auto& c : cases) {
        fs::remove(folder / c.output);
        const CommandRun run = varno(p + "render " + c.input + " --duration 0.1");
        EXPECT_EQ(run.exitCode, 0) << c.input << "\n" << run.err;
        EXPECT_TRUE(fs::exists(folder / c.output)) << c.input;
    }
    EXPECT_FALSE(fs::exists(folder / "name.vts.wav"));
    EXPECT_EQ(varno(p + "check 'my|songs.zip'").out, "my|songs.zip|x.vts: playable by Varno Test Interrupt\n");
}

TEST_F(CommandLineProgramTest, InfoForScripts) {
    const std::string junk = writeFile("junk.bin", "nothing to play");
    const CommandRun info = varno(p + "info --json " + module + " " + junk);
    EXPECT_EQ(info.exitCode, 1);
    writeFile("info.json", info.out);
    const std::string md5 = run("md5sum " + module).out.substr(0, 32);
    // Valid JSON with everything info prints, the size and the MD5.
    const CommandRun check = run(
        "python3 -c \"import json; d = json.load(open('info.json')); s = d[0]; "
        "print(s['size'], s['md5'], s['format_text'], s['info']['Player'], s['info']['Channels'], s['tags']['title'], "
        "[x['seconds'] for x in s['subsongs']], d[1]['error'])\"");
    EXPECT_EQ(check.exitCode, 0) << check.err << info.out;
    EXPECT_EQ(check.out, "128 " + md5 +
                             " Varno Test Interrupt - 4ch Varno Test Interrupt 4 M\xc3\xbcller [1.0, 2.0, 1.0] no player "
                             "recognises this file\n");
}

TEST_F(CommandLineProgramTest, SettingsSayWhatTheyHoldAndWhetherTheyWereSaved) {
    // An unwritable settings file: a failure, and no new value claimed.
    const std::string blocker = writeFile("blocker", "a file where a folder should be");
    CommandRun run = this->run("XDG_CONFIG_HOME=" + blocker + " " + varnoPath() + " settings surround=off");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("blocker/varno/varno.ini: cannot be written: the settings were not saved"),
              std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");

    // Values out of range in the file are shown as the plugin reads them.
    fs::create_directories(folder / "varno");
    writeFile("varno/varno.ini", "[VARNO]\nstereo_separation=500\nsurround=7\ndefault_playtime=-5\n");
    run = varno("settings");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    for (const char* line : {"stereo_separation  0%       (the file's 500 is above 100 and reads as 0 (mono))\n",
                             "surround           on       (the file's 7 reads as on)\n",
                             "default_playtime   -5s      (below 0: songs stop as they start unless their player signals the end)\n"})
        EXPECT_NE(run.out.find(line), std::string::npos) << line << run.out;
    run = varno(p + "render " + module + " -o x.wav");
    EXPECT_NE(run.err.find("warning: default_playtime is -5 in "), std::string::npos) << run.err;
    run = varno("settings stereo_separation=75% default_playtime=3:00");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("stereo_separation  75%\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("default_playtime   180s\n"), std::string::npos) << run.out;
}

} // namespace
} // namespace varno::test
