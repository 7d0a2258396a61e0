// varno: plays Amiga modules through the Varno plugin from the command line,
// calling the same entries a music player calls.
#include <CLI/CLI.hpp>

#include <cmath>
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

constexpr const char* kCommands = "play, render, info, check, players, settings, help";

constexpr const char* kArchiveNote = "Files in ZIP archives are named archive.zip|entry; an archive given as a file "
                                     "stands for its entries. See man varno.";

// "varno render: ... (see varno render --help)": the help that lists the option.
std::string failureLine(const CLI::App* app, const CLI::Error& e) {
    const std::vector<CLI::App*> commands = app->get_subcommands();
    const std::string command = commands.empty() ? "" : " " + commands.back()->get_name();
    return "varno" + command + ": " + e.what() + " (see varno" + command + " --help)\n";
}

void addPlayersOption(CLI::App* app, std::string& players) {
    app->add_option("--players", players,
                    "Player archive to use instead of the xmp-varno.dat beside varno (or in its share folder)")
        ->type_name("FILE");
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

// --time N: no song goes past N seconds of song time. The plugin's play-time
// limit (the setting that ends songs whose player never signals an end) is
// then N too, so that a limit from the settings file cannot end them sooner.
void addSongOptions(CLI::App* app, SettingOverrides& s, double& limit, const std::string& timeHelp) {
    addSwitch(app, "--songend", s.songEnd, "Obey the player's song-end signal (default on)");
    app->add_option_function<std::string>(
           "--time",
           [&s, &limit](const std::string& v) {
               const std::optional<double> t = parseTime(v);
               if (!t) throw CLI::ValidationError("--time", "must be seconds (180 or 3:00), 0 for no limit, not \"" + v + "\"");
               limit = *t;
               s.playTime = int(std::ceil(*t));
           },
           timeHelp)
        ->type_name("TIME");
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
           "Stereo separation in percent; turns the surround effect off unless --surround on is given too "
           "(surround plays full separation)")
        ->type_name("0-100");
    addSwitch(app, "--surround", settings.surround, "Surround effect: full separation with a delayed cross-feed "
                                                    "between the sides (on unless --separation is given)");
    addSongOptions(app, settings, window.limit,
                   "Cut every song at this song time (seconds or m:ss), whether or not its player ends it sooner; "
                   "0 = no limit");
}

// A command's files; giving none is a usage error of that command.
struct CommandFiles {
    CLI::App* command;
    const std::vector<std::string>* files;
};

int usageError(const std::string& command, const std::string& text) {
    const std::string name = command.empty() ? "" : " " + command;
    std::fprintf(stderr, "varno%s: %s (see varno%s --help)\n", name.c_str(), text.c_str(), name.c_str());
    return kUsageError;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app("Plays Amiga music modules by running their own replay routines in an emulated Amiga.", "varno");
    app.require_subcommand(0, 1);
    // Options of varno itself are taken after the command too.
    app.fallthrough();
    app.failure_message(failureLine);
    app.set_version_flag("--version", std::string("varno ") + varno::cli::kVersion);
    std::string players;
    addPlayersOption(&app, players);
    SettingOverrides settings;

    PlayOptions play;
    CLI::App* playCommand = app.add_subcommand("play", "Play modules on the sound card, each song's subsongs in turn");
    playCommand->add_option("files", play.files, "Module files, played in order")->type_name("FILE");
    addSoundOptions(playCommand, settings, play.window, play.subsong, play.rate, play.gainDb);
    addPlayersOption(playCommand, players);
    playCommand->footer("Keys: space pause, n/p next/previous song, left/right seek 5 s, up/down next/previous "
                        "subsong, +/- volume, q quit.\n" + std::string(kArchiveNote));

    RenderOptions render;
    CLI::App* renderCommand = app.add_subcommand("render", "Render modules to WAV or FLAC files, or to standard output");
    renderCommand->add_option("files", render.files, "Module files; each output is named after its file")
        ->type_name("FILE");
    renderCommand->add_option("-o,--output", render.output,
                              "The output of one file: .wav, .flac, or - for raw samples on standard output "
                              "(not a terminal)")
        ->type_name("OUT");
    renderCommand->add_option("-d,--directory", render.directory, "Folder for the outputs (default: beside each file)")
        ->type_name("FOLDER");
    renderCommand
        ->add_option_function<std::string>(
            "--format",
            [&render](const std::string& v) {
                if (v != "wav" && v != "flac") throw CLI::ValidationError("--format", "must be wav or flac, not \"" + v + "\"");
                render.container = v;
                render.containerGiven = true;
            },
            "Container of the outputs named after their files (default wav); -o names its own by its extension")
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
    addPlayersOption(renderCommand, players);
    renderCommand->footer(kArchiveNote);

    InfoOptions info;
    CLI::App* infoCommand = app.add_subcommand("info", "Describe modules: format, player, tags, subsongs");
    infoCommand->add_option("files", info.files, "Module files")->type_name("FILE");
    infoCommand->add_flag_callback("--lengths", [&info] { info.lengths = true; },
                                   "Measure each subsong's length by playing it through silently (the default)");
    infoCommand->add_flag_callback("--no-lengths", [&info] { info.lengths = false; }, "Do not measure the lengths");
    infoCommand->add_flag("--json", info.json, "A JSON array for scripts, with each file's size and MD5");
    infoCommand->add_flag_callback("--no-cache", [&info] { info.cache = false; },
                                   "Measure again: neither read nor write the cache of lengths measured before");
    addSongOptions(infoCommand, settings, info.timeLimit,
                   "Lengths as render and play --time give them: no song is measured past this song time; "
                   "0 = no limit");
    addPlayersOption(infoCommand, players);
    infoCommand->footer(kArchiveNote);

    std::vector<std::string> checkFiles;
    CLI::App* checkCommand = app.add_subcommand("check", "Say which files are playable, and by which player");
    checkCommand->add_option("files", checkFiles, "Files to check")->type_name("FILE");
    addPlayersOption(checkCommand, players);
    checkCommand->footer(kArchiveNote);

    CLI::App* playersCommand = app.add_subcommand("players", "List the players in the player archive");
    addPlayersOption(playersCommand, players);

    std::vector<std::string> assignments;
    CLI::App* settingsCommand =
        app.add_subcommand("settings", "Show the plugin's settings, or store KEY=VALUE pairs in its settings file");
    settingsCommand->add_option("assignments", assignments, "e.g. stereo_separation=50% interpolation=sinc")
        ->type_name("KEY=VALUE");
    settingsCommand->footer("Keys: stereo_separation (0-100, 50 or 50%), surround, use_songend, scan_lengths, "
                            "seeking (on|off), default_playtime (180, 180s or 3:00; 0 = no limit), interpolation "
                            "(none|sinc|a500|a1200).");

    std::string helpTopic;
    CLI::App* helpCommand = app.add_subcommand("help", "Show this help, or a command's");
    helpCommand->add_option("command", helpTopic, "The command")->type_name("COMMAND");

    // After the commands, which would take it as their own.
    app.footer("See varno COMMAND --help, varno help COMMAND, and man varno.");
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
        if (!extras.empty())
            return usageError("", extras[0].rfind('-', 0) == 0
                                      ? "unknown option \"" + extras[0] + "\""
                                      : "unknown command \"" + extras[0] + "\" (commands: " + kCommands + ")");
        std::printf("%s", app.help().c_str());
        return 0;
    }
    const std::string command = app.get_subcommands()[0]->get_name();
    if (!extras.empty())
        return usageError(command, std::string(extras[0].rfind('-', 0) == 0 ? "unknown option" : "unknown argument") +
                                       " \"" + extras[0] + "\"");
    if (helpCommand->parsed()) {
        // As --help prints them (app.help() would follow the command given, help itself).
        if (helpTopic.empty()) {
            std::printf("%s", app.get_formatter()->make_help(&app, app.get_name(), CLI::AppFormatMode::Normal).c_str());
            return 0;
        }
        for (CLI::App* c : {playCommand, renderCommand, infoCommand, checkCommand, playersCommand, settingsCommand,
                            helpCommand})
            if (c->get_name() == helpTopic) {
                std::printf("%s", c->help("varno").c_str());
                return 0;
            }
        return usageError("help", "unknown command \"" + helpTopic + "\" (commands: " + kCommands + ")");
    }
    for (const CommandFiles& c : {CommandFiles{playCommand, &play.files}, CommandFiles{renderCommand, &render.files},
                                  CommandFiles{infoCommand, &info.files}, CommandFiles{checkCommand, &checkFiles}})
        if (c.command->parsed() && c.files->empty()) return usageError(command, "no files given");

    // An explicit separation is heard: surround (full separation) gives way
    // unless it is asked for too.
    if (settings.separation >= 0 && settings.surround < 0) settings.surround = 0;
    // --start seeks, and so do the player's arrow keys.
    if (playCommand->parsed() || (renderCommand->parsed() && render.window.start > 0)) settings.seeking = 1;
    if (playCommand->parsed()) return runPlay(play, players, settings);
    if (renderCommand->parsed()) {
        const std::string conflict = renderUsageError(render);
        if (!conflict.empty()) return usageError(command, conflict);
        return runRender(render, players, settings);
    }
    if (infoCommand->parsed()) return runInfo(info, players, settings);
    if (checkCommand->parsed()) return runCheck(checkFiles, players);
    if (playersCommand->parsed()) return runPlayers(players);
    if (settingsCommand->parsed()) return runSettings(assignments);
    return kUsageError;
}
