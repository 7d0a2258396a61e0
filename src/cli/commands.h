// The command line's commands. Each returns the process exit code: 0 when all
// went well, 1 when a file could not be handled, 2 for a usage error.
#pragma once

#include <string>
#include <vector>

#include "cli/audio_writer.h"
#include "cli/plugin_host.h"
#include "cli/time_window.h"

namespace varno::cli {

struct InfoOptions {
    std::vector<std::string> files;
    bool lengths = true;
    bool json = false;
    bool cache = true; // lengths and texts measured before are answered from the length cache
    double timeLimit = -1; // --time: lengths past it are shown as it; <= 0: none
};

struct RenderOptions {
    std::vector<std::string> files;
    std::string output;    // -o: one file's output, or - for standard output
    std::string directory; // -d: where automatically named outputs go (default: beside each input)
    std::string container = "wav"; // of automatically named outputs: wav or flac
    bool containerGiven = false;    // --format was given
    int subsong = 0;       // counted from 1; 0 = the module's first
    bool allSubsongs = false;
    TimeWindow window;
    unsigned rate = 48000;
    bool mono = false;
    SampleFormat format = SampleFormat::Pcm16;
    bool formatGiven = false; // standard output is float unless --bits says otherwise
    double gainDb = 0;
    bool force = false;
};

struct PlayOptions {
    std::vector<std::string> files;
    int subsong = 0;
    TimeWindow window;
    unsigned rate = 48000;
    double gainDb = 0;
};

int runInfo(const InfoOptions& options, const std::string& players, const SettingOverrides& settings);
int runCheck(const std::vector<std::string>& files, const std::string& players);
// What render's options ask that cannot be done, in words (empty when nothing):
// conflicting options, an output of no known container, raw samples to a terminal.
std::string renderUsageError(const RenderOptions& options);
int runRender(const RenderOptions& options, const std::string& players, const SettingOverrides& settings);
int runPlay(const PlayOptions& options, const std::string& players, const SettingOverrides& settings);
int runPlayers(const std::string& players);
int runSettings(const std::vector<std::string>& assignments);

} // namespace varno::cli
