// The README's examples of varno on the shared songs say what varno says: each
// example command that names shared songs and shows output is run (with the
// default player archive, in a folder of its own), and every time and length the
// example shows must be what the command prints, in the same order.
#include <regex>

#include "plugin/command_line_fixture.h"

namespace varno::test {
namespace {

namespace fs = std::filesystem;

using ReadmeExamplesTest = CommandLineTest;

struct Example {
    std::string command; // after "$ varno "
    std::string output;  // the lines shown after it
};

// Indented "$ varno ..." lines and the indented lines after each, up to a blank
// line or the next command.
std::vector<Example> examples(const std::string& readme) {
    std::vector<Example> found;
    std::istringstream lines(readme);
    bool open = false;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("    $ varno ", 0) == 0) {
            found.push_back({line.substr(12), ""});
            open = true;
        } else if (open && line.rfind("    ", 0) == 0 && line.find_first_not_of(' ') != std::string::npos) {
            found.back().output += line.substr(4) + "\n";
        } else {
            open = false;
        }
    }
    return found;
}

// "1:23.595", "0:10" and JSON's "seconds": 92.154, in order of appearance.
std::vector<std::string> times(const std::string& text) {
    static const std::regex time(R"((\d+:\d\d(\.\d{3})?)|("seconds": \d+\.\d{3}))");
    std::vector<std::string> out;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), time); it != std::sregex_iterator(); ++it)
        out.push_back(it->str());
    return out;
}

TEST_F(ReadmeExamplesTest, TimesAndLengthsAreWhatVarnoPrints) {
    const fs::path shared = fs::path(VARNO_SHARED_DIR) / "modules";
    const fs::path archive = fs::path(VARNO_BINARY_DIR) / "bin" / "xmp-varno.dat";
    if (!fs::exists(shared / "area4-game.mod")) GTEST_SKIP() << "no shared modules at " << shared;
    if (!fs::exists(archive)) GTEST_SKIP() << "no default player archive was built";
    for (const char* song : {"area4-game.mod", "over-theme.mod", "high-score.mod"})
        fs::create_symlink(shared / song, folder / song);
    std::ifstream in(fs::path(VARNO_SOURCE_DIR) / "README.md");
    std::stringstream readme;
    readme << in.rdbuf();
    int checked = 0;
    for (const Example& example : examples(readme.str())) {
        const std::vector<std::string> shown = times(example.output);
        // Only what can run here: info and render of the shared songs, never play.
        const bool runnable = example.command.rfind("info", 0) == 0 ||
                              (example.command.rfind("render", 0) == 0 && example.command.find(" -d ") != std::string::npos);
        if (shown.empty() || !runnable) continue;
        SCOPED_TRACE(example.command);
        const CommandRun run = varno("--players " + archive.string() + " " + example.command);
        EXPECT_EQ(times(run.out + run.err), shown) << run.out << run.err;
        ++checked;
    }
    EXPECT_GE(checked, 3) << "the README's info and render examples were not found";
}

} // namespace
} // namespace varno::test
