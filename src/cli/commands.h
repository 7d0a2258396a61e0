// The command line's commands. Each returns the process exit code: 0 when all
// went well, 1 when a file could not be handled.
#pragma once

#include <string>
#include <vector>

#include "cli/audio_writer.h"
#include "cli/plugin_host.h"

namespace varno::cli {

struct InfoOptions {
    std::vector<std::string> files;
    bool lengths = true;
};

struct RenderOptions {
    std::string file;
    std::string output;
    int subsong = 0; // counted from 1; 0 = the module's first
    double start = 0; // seconds into each subsong
    bool allSubsongs = false;
    unsigned rate = 48000;
    bool mono = false;
    SampleFormat format = SampleFormat::Pcm16;
};

int runInfo(const InfoOptions& options, const std::string& players, const SettingOverrides& settings);
int runCheck(const std::vector<std::string>& files, const std::string& players);
int runRender(const RenderOptions& options, const std::string& players, const SettingOverrides& settings);
int runPlayers(const std::string& players);
int runSettings(const std::vector<std::string>& assignments);

} // namespace varno::cli
