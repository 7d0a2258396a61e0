// varno: plays Amiga modules through the Varno plugin from the command line,
// calling the same entries a music player calls.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <optional>
#include <type_traits>

#include "cli/commands.h"
#include "cli/option_values.h"
#include "cli/settings_values.h"
#include "cli/version.h"

using namespace varno::cli;

namespace {

// Parse errors are usage errors: exit code 2, as is the custom.
constexpr int kUsageError = 2;

constexpr const char* kCommands = "play, render, info, check, players, settings";

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

// A number option whose message says what was expected.
template <typename T>
void addNumber(CLI::App* app, const std::string& name, T& target, double low, double high, const std::string& what,
               const std::string& help, const std::string& typeName) {
    app->add_option_function<std::string>(
           name,
           [&target, name, low, high, what](const std::string& v) {
               const std::optional<double> n = parseNumberIn(v, low, high);
               if (!n || (std::is_integral_v<T> && *n != double(T(*n))))
                   throw CLI::ValidationError(name, "must be " + what + ", not \"" + v + "\"");
               target = T(*n);
           },
           help)
        ->type_name(typeName);
}

void addTime(CLI::App* app, const std::string& name, double& target, const std::string& help) {
    app->add_option_function<std::string>(
           name,
           [&target, name](const std::string& v) {
               const std::optional<double> t = parseTime(v);
               if (!t) throw CLI::ValidationError(name, "must be seconds (90 or 1:30), not \"" + v + "\"");
               target = *t;
           },
           help)
        ->type_name("TIME");
}

void addSongOptions(CLI::App* app, SettingOverrides& s) {
    addSwitch(app, "--songend", s.songEnd, "Obey the player's song-end signal");
    app->add_option_function<std::string>(
           "--time",
           [&s](const std::string& v) {
               if (!parseSeconds(v, s.playTime))
                   throw CLI::ValidationError("--time", "must be whole seconds (180 or 3:00), not \"" + v + "\"");
           },
           "The plugin's play-time limit (its default_playtime setting): a song ends at the first player tick "
           "at or past this much song time from its start, unless the player signals its end and --songend is "
           "on; 0 = no limit. For an exact stretch use --end or --duration")
        ->type_name("SECONDS");
}

// What play and render share: the sound's settings and the stretch of each subsong.
void addSoundOptions(CLI::App* app, SettingOverrides& settings, TimeWindow& window, int& subsong, unsigned& rate,
                     double& gainDb) {
    addNumber(app, "--subsong", subsong, 1, 4095, "a subsong number from 1", "Subsong, counted from 1", "N");
    addTime(app, "--start", window.start, "Start this far into each subsong (seconds or m:ss)");
    addTime(app, "--end", window.end, "Stop at this song time");
    app->add_option_function<std::string>(
           "--duration",
           [&window](const std::string& v) {
               const std::optional<double> t = parseTime(v);
               if (!t || *t <= 0)
                   throw CLI::ValidationError("--duration", "must be a time above 0 (90 or 1:30), not \"" + v + "\"");
               window.duration = *t;
           },
           "Render or play this long from --start (the song may end sooner)")
        ->type_name("TIME");
    addNumber(app, "--loops", window.loops, 1, 100, "a count from 1 to 100",
              "Play on through the song's loop: N times its length (needs a song that signals its end)", "N");
    addTime(app, "--fade", window.fade, "Fade out over this last stretch before the end");
    addNumber(app, "--gain", gainDb, -60, 40, "decibels from -60 to 40",
              "Output level in dB (default 0); what goes past full scale is clipped, not wrapped", "DB");
    addNumber(app, "--rate", rate, 8000, 192000, "a sample rate in Hz from 8000 to 192000",
              "Sample rate (default 48000)", "HZ");
    app->add_option_function<std::string>(
           "--interpolation",
           [&settings](const std::string& v) {
               if (!parseInterpolation(v, settings.interpolation))
                   throw CLI::ValidationError("--interpolation", std::string("must be ") + kInterpolationChoices +
                                                                     ", not \"" + v + "\"");
           },
           "Resampling, or the sound of an Amiga 500 or 1200 (LED filter included)")
        ->type_name("none|sinc|a500|a1200");
    app->add_option_function<std::string>(
           "--separation",
           [&settings](const std::string& v) {
               std::string error;
               varno::PluginSettings s;
               if (!applySetting("stereo_separation=" + v, s, error))
                   throw CLI::ValidationError("--separation", "must be a percentage from 0 to 100, not \"" + v + "\"");
               settings.separation = s.stereo_separation;
           },
           "Stereo separation in percent")
        ->type_name("0-100");
    addSwitch(app, "--surround", settings.surround, "Surround effect");
    addSongOptions(app, settings);
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app("Plays Amiga music modules by running their own replay routines in an emulated Amiga.", "varno");
    app.require_subcommand(0, 1);
    // Options of varno itself are taken after the command too.
    app.fallthrough();
    app.failure_message(failureLine);
    app.set_version_flag("--version", std::string("varno ") + varno::cli::kVersion);
    app.footer("Files in ZIP archives are named archive.zip|entry. See varno COMMAND --help and man varno.");
    std::string players;
    app.add_option("--players", players,
                   "Player archive to use instead of the xmp-varno.dat beside varno (or in its share folder)")
        ->type_name("FILE");
    SettingOverrides settings;

    PlayOptions play;
    CLI::App* playCommand = app.add_subcommand("play", "Play modules on the sound card, each song's subsongs in turn");
    playCommand->add_option("files", play.files, "Module files, played in order")->required()->type_name("FILE");
    addSoundOptions(playCommand, settings, play.window, play.subsong, play.rate, play.gainDb);
    playCommand->footer("Keys: space pause, n/p next/previous song, left/right seek 5 s, up/down next/previous "
                        "subsong, +/- volume, q quit.");

    RenderOptions render;
    CLI::App* renderCommand = app.add_subcommand("render", "Render modules to WAV or FLAC files, or to standard output");
    renderCommand->add_option("files", render.files, "Module files; each output is named after its file")
        ->required()
        ->type_name("FILE");
    renderCommand->add_option("-o,--output", render.output, "The output of one file: .wav, .flac, or - for standard output")
        ->type_name("OUT");
    renderCommand->add_option("-d,--directory", render.directory, "Folder for the outputs (default: beside each file)")
        ->type_name("FOLDER");
    renderCommand
        ->add_option_function<std::string>(
            "--format",
            [&render](const std::string& v) {
                if (v != "wav" && v != "flac") throw CLI::ValidationError("--format", "must be wav or flac, not \"" + v + "\"");
                render.container = v;
            },
            "Container of the named outputs (default wav)")
        ->type_name("wav|flac");
    renderCommand->add_flag("--all-subsongs", render.allSubsongs, "Every subsong, each in its own numbered file");
    renderCommand->add_flag("-f,--force", render.force,
                            "Replace existing outputs (keeping their permissions; a symbolic link is written through), "
                            "and render songs that only silence ends");
    addSoundOptions(renderCommand, settings, render.window, render.subsong, render.rate, render.gainDb);
    renderCommand->add_flag("--mono", render.mono, "One channel instead of two");
    renderCommand
        ->add_option_function<std::string>(
            "--bits",
            [&](const std::string& v) {
                if (v == "16") render.format = SampleFormat::Pcm16;
                else if (v == "24") render.format = SampleFormat::Pcm24;
                else if (v == "float") render.format = SampleFormat::Float;
                else throw CLI::ValidationError("--bits", "must be 16, 24 or float, not \"" + v + "\"");
                render.formatGiven = true;
            },
            "Sample format (default 16 for files; standard output gives 32-bit floats unless --bits is given)")
        ->type_name("16|24|float");

    InfoOptions info;
    CLI::App* infoCommand = app.add_subcommand("info", "Describe modules: format, player, tags, subsongs");
    infoCommand->add_option("files", info.files, "Module files")->required()->type_name("FILE");
    infoCommand->add_flag("--lengths,!--no-lengths", info.lengths,
                          "Play each subsong through silently to measure its length (the default)");
    infoCommand->add_flag("--json", info.json, "A JSON array for scripts, with each file's size and MD5");
    infoCommand->add_flag("!--no-cache", info.cache,
                          "Measure again: neither read nor write the cache of lengths measured before");
    addSongOptions(infoCommand, settings);

    std::vector<std::string> checkFiles;
    CLI::App* checkCommand = app.add_subcommand("check", "Say which files are playable, and by which player");
    checkCommand->add_option("files", checkFiles, "Files to check")->required()->type_name("FILE");

    CLI::App* playersCommand = app.add_subcommand("players", "List the players in the player archive");

    std::vector<std::string> assignments;
    CLI::App* settingsCommand =
        app.add_subcommand("settings", "Show the plugin's settings, or store KEY=VALUE pairs in its settings file");
    settingsCommand->add_option("assignments", assignments, "e.g. stereo_separation=50% interpolation=sinc")
        ->type_name("KEY=VALUE");
    // What no command or option takes is said, not ignored.
    app.allow_extras();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? 0 : kUsageError;
    }
    const std::vector<std::string> extras = app.remaining();
    if (app.get_subcommands().empty()) {
        if (!extras.empty()) {
            std::fprintf(stderr, "varno: unknown command \"%s\" (commands: %s; see varno --help)\n", extras[0].c_str(),
                         kCommands);
            return kUsageError;
        }
        std::printf("%s", app.help().c_str());
        return 0;
    }
    if (!extras.empty()) {
        std::fprintf(stderr, "varno: %s: unknown %s \"%s\" (see varno %s --help)\n",
                     app.get_subcommands()[0]->get_name().c_str(), extras[0].rfind("-", 0) == 0 ? "option" : "argument",
                     extras[0].c_str(), app.get_subcommands()[0]->get_name().c_str());
        return kUsageError;
    }

    // --start seeks, and so do the player's arrow keys.
    if (playCommand->parsed() || (renderCommand->parsed() && render.window.start > 0)) settings.seeking = 1;
    if (playCommand->parsed()) return runPlay(play, players, settings);
    if (renderCommand->parsed()) {
        if (render.allSubsongs && render.subsong > 0) {
            std::fprintf(stderr, "varno: render: --all-subsongs and --subsong exclude each other\n");
            return kUsageError;
        }
        return runRender(render, players, settings);
    }
    if (infoCommand->parsed()) return runInfo(info, players, settings);
    if (checkCommand->parsed()) return runCheck(checkFiles, players);
    if (playersCommand->parsed()) return runPlayers(players);
    if (settingsCommand->parsed()) return runSettings(assignments);
    return kUsageError;
}
