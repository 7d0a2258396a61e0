// The varno command run as a program: its output, error lines and exit code,
// with its settings in the test's folder and the test players.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "plugin/plugin_fixture.h"

namespace varno::test {

struct CommandRun {
    int exitCode;
    std::string out;
    std::string err;
};

class CommandLineTest : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        players = std::string(VARNO_M68K_DIR) + "/tests/players/xmp-varno.dat";
        module = writeModule("song.vts", "VTS1", "M\xfcller");
    }

    // Runs varno with its settings in the test folder; arguments are not quoted.
    CommandRun varno(const std::string& arguments) { return run(varnoPath() + " " + arguments); }

    // Runs a shell command line the same way, in the test folder.
    CommandRun run(const std::string& commandLine) {
        const std::string out = (folder / "stdout").string();
        const std::string err = (folder / "stderr").string();
        // No standard input: varno runs as from a script.
        const std::string command = "cd " + folder.string() + " && export XDG_CONFIG_HOME=" + folder.string() +
                                    " XDG_CACHE_HOME=" + folder.string() +
                                    " && { " + commandLine + "; } >" + out + " 2>" + err + " </dev/null";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read(out), read(err)};
    }

    static std::string varnoPath() { return std::string(VARNO_BINARY_DIR) + "/bin/varno"; }

    static std::string read(const std::string& path) {
        std::ifstream in(path);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::string players;
    std::string module;
    std::string p = "--players " + std::string(VARNO_M68K_DIR) + "/tests/players/xmp-varno.dat ";
};

} // namespace varno::test
