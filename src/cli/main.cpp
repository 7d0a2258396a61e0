// varno: plays Amiga modules through the Varno plugin from the command line,
// calling the same entries a music player calls.
#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "cli/settings_values.h"

using namespace varno::cli;

namespace {

// Parse errors are usage errors: exit code 2, as is the custom.
constexpr int kUsageError = 2;

std::string failureLine(const CLI::App*, const CLI::Error& e) {
    return std::string("varno: ") + e.what() + " (see varno --help)\n";
}

// --surround on|off and the like, kept as -1 when not given.
void addSwitch(CLI::App* app, const std::string& name, int& target, const std::string& help) {
    app->add_option_function<std::string>(
           name,
           [&target, name](const std::string& v) {
               if (!parseSwitch(v, target)) throw CLI::ValidationError(name, "must be on or off, not \"" + v + "\"");
           },
           help)
        ->type_name("on|off");
}

void addSongOptions(CLI::App* app, SettingOverrides& s) {
    addSwitch(app, "--songend", s.songEnd, "Obey the player's song-end signal");
    app->add_option("--time", s.playTime, "Play time limit in seconds, 0 = no limit")
        ->check(CLI::Range(0, 1000000))
        ->type_name("SECONDS");
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app("Plays Amiga music modules by running their own replay routines in an emulated Amiga.", "varno");
    app.require_subcommand(1);
    app.failure_message(failureLine);
    std::string players;
    app.add_option("--players", players, "Player archive to use instead of the xmp-varno.dat beside varno")
        ->type_name("FILE");
    SettingOverrides settings;

    InfoOptions info;
    CLI::App* infoCommand = app.add_subcommand("info", "Describe modules: format, player, tags, subsongs");
    infoCommand->add_option("files", info.files, "Module files (archive|entry for files in ZIP archives)")
        ->required()
        ->type_name("FILE");
    infoCommand->add_flag("--lengths,!--no-lengths", info.lengths,
                          "Play each subsong through silently to measure its length (the default)");
    addSongOptions(infoCommand, settings);

    std::vector<std::string> checkFiles;
    CLI::App* checkCommand = app.add_subcommand("check", "Say which files are playable, and by which player");
    checkCommand->add_option("files", checkFiles, "Files to check")->required()->type_name("FILE");

    RenderOptions render;
    CLI::App* renderCommand = app.add_subcommand("render", "Render a module to WAV, FLAC or raw floats");
    renderCommand->add_option("file", render.file, "Module file")->required()->type_name("FILE");
    renderCommand->add_option("-o,--output", render.output, "Output: .wav, .flac, or - for raw floats on stdout")
        ->required()
        ->type_name("OUT");
    auto* subsong = renderCommand->add_option("--subsong", render.subsong, "Subsong to render, counted from 1")
                        ->check(CLI::Range(1, 64))
                        ->type_name("N");
    renderCommand->add_flag("--all-subsongs", render.allSubsongs, "One numbered file per subsong")->excludes(subsong);
    renderCommand->add_option("--start", render.start, "Start this far into the subsong, to a tenth of a second")
        ->check(CLI::Range(0.0, 86400.0))
        ->type_name("SECONDS");
    renderCommand->add_option("--rate", render.rate, "Sample rate")->check(CLI::Range(8000, 192000))->type_name("HZ");
    renderCommand->add_flag("--mono", render.mono, "One channel instead of two");
    renderCommand
        ->add_option_function<std::string>(
            "--interpolation",
            [&](const std::string& v) {
                if (!parseInterpolation(v, settings.interpolation))
                    throw CLI::ValidationError("--interpolation", "must be none or sinc, not \"" + v + "\"");
            },
            "Resampling")
        ->type_name("none|sinc");
    renderCommand->add_option("--separation", settings.separation, "Stereo separation in percent")
        ->check(CLI::Range(0, 100))
        ->type_name("0-100");
    addSwitch(renderCommand, "--surround", settings.surround, "Surround effect");
    addSongOptions(renderCommand, settings);
    renderCommand
        ->add_option_function<std::string>(
            "--bits",
            [&](const std::string& v) {
                if (v == "16") render.format = SampleFormat::Pcm16;
                else if (v == "24") render.format = SampleFormat::Pcm24;
                else if (v == "float") render.format = SampleFormat::Float;
                else throw CLI::ValidationError("--bits", "must be 16, 24 or float, not \"" + v + "\"");
            },
            "Sample format of the file (default 16)")
        ->type_name("16|24|float");

    CLI::App* playersCommand = app.add_subcommand("players", "List the players in the player archive");

    std::vector<std::string> assignments;
    CLI::App* settingsCommand =
        app.add_subcommand("settings", "Show the plugin's settings, or store KEY=VALUE pairs in its settings file");
    settingsCommand->add_option("assignments", assignments, "e.g. stereo_separation=50 interpolation=sinc")
        ->type_name("KEY=VALUE");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? 0 : kUsageError;
    }

    if (infoCommand->parsed()) return runInfo(info, players, settings);
    if (checkCommand->parsed()) return runCheck(checkFiles, players);
    if (renderCommand->parsed()) {
        if (render.start > 0) settings.seeking = 1;
        return runRender(render, players, settings);
    }
    if (playersCommand->parsed()) return runPlayers(players);
    if (settingsCommand->parsed()) return runSettings(assignments);
    return kUsageError;
}
