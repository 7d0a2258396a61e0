// varno render: a module's samples as the music player would get them, into
// WAV or FLAC files named after their inputs, one given file, or standard output.
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <set>
#include <vector>

#include "cli/commands.h"
#include "cli/module_facts.h"
#include "cli/progress.h"
#include "cli/sample_level.h"
#include "cli/stretch_playback.h"
#include "host/portable_host.h"
#include "machine/settings.h"
#include "plugin/plugin_extras.h"

namespace varno::cli {

namespace {

// Frames asked of the plugin at a time: 100 ms at 48 kHz.
constexpr uint32_t kChunkFrames = 4800;

// One module's render: the options, the file, what it says about itself.
struct Job {
    const XmpInterface& plugin;
    const RenderOptions& options;
    const std::string& path;
    const ModuleFacts& facts;
    std::vector<float>& buffer; // kChunkFrames frames, made once for the run
    bool measured;              // the subsong lengths were measured
};

std::string subsongLabel(const std::string& path, uint32_t subsong, uint32_t count) {
    return count > 1 ? path + " subsong " + std::to_string(subsong + 1) : path;
}

// True when nothing but silence would end the subsong: no window end, and the
// plugin has neither a play time nor a song end it obeys and has seen (when
// the lengths were measured).
bool endless(const FramePlan& plan, double length, bool measured) {
    if (plan.stopFrame != kNoStop) return false;
    if (pluginSettings.default_playtime != 0) return false;
    return !pluginSettings.use_songend || (measured && length <= 0);
}

// Renders subsong k (counted from 0) of the open module into output.
bool renderSubsong(const Job& job, uint32_t k, uint32_t count, const std::string& output, const std::string& input) {
    const RenderOptions& o = job.options;
    const std::string label = subsongLabel(job.path, k, count);
    const uint32_t channels = o.mono ? 1 : 2;
    job.plugin.setPosition(kPositionSubsong | k);
    const double length = k < job.facts.subsongSeconds.size() ? job.facts.subsongSeconds[k] : 0.0;
    std::string error;
    const std::optional<FramePlan> plan = planFrames(o.window, length, o.rate, error);
    if (!plan) {
        reportError(label, error);
        return false;
    }
    if (endless(*plan, length, job.measured)) {
        const std::string why = "nothing but silence ends this render (no --time limit, and " +
                                std::string(pluginSettings.use_songend ? "no song end was found" : "--songend off") +
                                ")";
        if (output != "-" && !o.force) {
            reportError(label, why + ": give --duration or --end, or --force to render until silence");
            return false;
        }
        reportError(label, "warning: " + why);
    }
    std::optional<OutputTarget> target = OutputTarget{};
    if (output != "-") target = resolveOutput(output, input, o.force, error);
    if (!target) {
        reportError(output, error);
        return false;
    }
    const bool toStdout = output == "-";
    const SampleFormat format = toStdout && !o.formatGiven ? SampleFormat::Float : o.format;
    AudioWriter writer;
    if (!writer.open(output, *target, o.rate, channels, format, tagsFor(job.facts, k), kChunkFrames, error)) {
        reportError(output, error);
        return false;
    }
    const StretchPlayback stretch(*plan);
    uint64_t frame = 0;
    if (plan->startFrame > 0) {
        const double reached = job.plugin.setPosition(uint32_t(std::lround(o.window.start * 10)));
        if (reached + 0.05 < o.window.start) {
            reportError(label, "the song ends at " + timeText(reached) + ", before --start " + timeText(o.window.start));
            return false;
        }
        frame = uint64_t(std::llround(reached * o.rate));
    }
    const uint64_t first = frame;
    const double endSeconds = plan->stopFrame != kNoStop ? double(plan->stopFrame) / o.rate : length;
    Progress progress(label, o.window.start, endSeconds);
    const float gain = gainFactor(o.gainDb);
    // Integer samples cannot go past full scale; floats can and are left so.
    const bool saturate = format != SampleFormat::Float;
    // Floats at unit gain and without a fade come out as the plugin gave them.
    const bool levelled = saturate || gain != 1.0f || plan->fadeFrames > 0;
    uint64_t over = 0;
    for (;;) {
        const uint64_t left = plan->stopFrame == kNoStop ? kChunkFrames : plan->stopFrame - std::min(frame, plan->stopFrame);
        const uint32_t want = uint32_t(std::min<uint64_t>(kChunkFrames, left));
        if (want == 0) break;
        const uint32_t got = job.plugin.process(job.buffer.data(), want * channels) / channels;
        if (levelled) over += applyLevel(job.buffer.data(), got, channels, gain, *plan, frame, saturate);
        if (got && !writer.write(job.buffer.data(), got)) {
            reportError(output, "cannot be written");
            return false;
        }
        frame += got;
        progress.update(double(frame) / o.rate);
        if (got < want) break;
    }
    if (frame == first) {
        reportError(label, "nothing to render: the song ends at --start " + timeText(o.window.start));
        return false;
    }
    if (!writer.finish(error)) {
        reportError(output, error);
        return false;
    }
    if (over && saturate)
        reportError(label, "warning: " + std::to_string(over) + " samples went past full scale and were clipped" +
                               (o.gainDb > 0 ? " (a lower --gain avoids it)" : ""));
    return true;
}

// Whether the subsong lengths are worth measuring before rendering: for the
// progress line, --loops, a --fade without an end, and to tell an endless render
// into a file (standard output is left to its reader, and stays as fast).
bool lengthsNeeded(const RenderOptions& o) {
    if (o.window.loops > 1 || (o.window.fade > 0 && o.window.end < 0 && o.window.duration < 0)) return true;
    const bool bounded = o.window.end >= 0 || o.window.duration >= 0 || o.window.limit > 0;
    if (!bounded && o.output != "-" && pluginSettings.default_playtime == 0 && pluginSettings.use_songend) return true;
    return Progress::shown() && pluginSettings.use_songend;
}

// Renders one input: its chosen subsongs, each into its own output.
int renderFile(const XmpInterface& plugin, const RenderOptions& o, const std::string& path,
               std::set<std::string>& written, std::vector<float>& buffer) {
    setCurrentFile(path);
    HostFileHandle file;
    std::string cause;
    if (!file.open(path, cause) || !plugin.checkFile(path.c_str(), file.get())) {
        reportError(path, cause.empty() ? "no player recognises this file" : cause);
        return 1;
    }
    // The format is set before the module opens, so its first ticks are already
    // rendered for it.
    XmpFormat format{o.rate, o.mono ? 1u : 2u, 0};
    plugin.setFormat(&format);
    if (plugin.open(path.c_str(), file.get()) == 0) {
        reportError(path, "the player could not set up this module");
        return 1;
    }
    const bool measured = lengthsNeeded(o);
    if (measured) scanSubsongLengths();
    const ModuleFacts facts = gatherFacts(plugin, path, file.get());
    const uint32_t count = uint32_t(std::max<size_t>(1, facts.subsongSeconds.size()));
    std::vector<uint32_t> subsongs;
    if (o.allSubsongs) {
        for (uint32_t k = 0; k < count; ++k) subsongs.push_back(k);
    } else if (o.subsong > int(count)) {
        reportError(path, "there is no subsong " + std::to_string(o.subsong) + " (the module has " +
                              std::to_string(count) + ")");
    } else {
        subsongs.push_back(o.subsong > 0 ? uint32_t(o.subsong - 1) : 0);
    }
    int failures = subsongs.empty() ? 1 : 0;
    const Job job{plugin, o, path, facts, buffer, measured};
    const InputFile input = inputFile(path);
    // Every subsong is tried; each failure has its own line.
    for (uint32_t k : subsongs) {
        const bool numbered = o.allSubsongs || o.subsong > 0;
        std::string output;
        if (!o.output.empty())
            output = o.allSubsongs ? numberedPath(o.output, int(k + 1)) : o.output;
        else
            output = automaticOutputName(input, o.directory, o.container, numbered ? int(k + 1) : 0);
        std::error_code ec;
        if (output != "-" && !written.insert(std::filesystem::absolute(output, ec).lexically_normal().string()).second) {
            reportError(output, "was written earlier in this run; not written again");
            ++failures;
            continue;
        }
        if (!renderSubsong(job, k, count, output, input.file)) ++failures;
    }
    // The first of several subsongs, taken without being chosen, is said to be one of several.
    if (!failures && count > 1 && !o.allSubsongs && o.subsong == 0)
        reportError(path, "rendered subsong 1 of " + std::to_string(count) +
                              " (--all-subsongs renders every one, --subsong N another)");
    plugin.close();
    return failures;
}

} // namespace

std::string renderUsageError(const RenderOptions& o) {
    if (o.allSubsongs && o.subsong > 0) return "--all-subsongs and --subsong exclude each other";
    if (o.output == "-") {
        if (o.containerGiven) return "--format names the container of files; -o - writes raw samples";
        if (::isatty(STDOUT_FILENO) == 1)
            return "-o - writes raw samples, and standard output is a terminal (send it to a file or a program)";
        return "";
    }
    if (o.output.empty()) return "";
    // What -o names: a file of a known container, or a device or pipe written as it is.
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(o.output, ec);
    const bool direct = std::filesystem::is_character_file(status) || std::filesystem::is_fifo(status);
    std::string cause;
    const std::optional<Container> container = containerFor(o.output, direct, o.format, cause);
    if (!container) return "-o " + o.output + ": " + cause;
    const std::string named = *container == Container::Flac ? "flac" : "wav";
    if (o.containerGiven && o.container != named)
        return "--format " + o.container + " disagrees with -o " + o.output + ", whose extension names its container";
    return "";
}

int runRender(const RenderOptions& options, const std::string& players, const SettingOverrides& settings) {
    if (!options.directory.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(options.directory, ec);
        if (ec) {
            reportError(options.directory, "cannot be made: " + ec.message());
            return 1;
        }
    }
    const XmpInterface* plugin = startPlugin(players, settings);
    if (!plugin) return 1;
    const std::vector<std::string> files = expandArchives(options.files);
    if (!options.output.empty() && files.size() > 1) {
        reportError("", "-o names the output of one file; for several use -d FOLDER (or neither, to write beside each)");
        stopPlugin();
        return 2;
    }
    removePartialOnSignal();
    std::vector<float> buffer(size_t(kChunkFrames) * 2);
    std::set<std::string> written;
    int failures = 0;
    for (const std::string& path : files) failures += renderFile(*plugin, options, path, written, buffer);
    stopPlugin();
    return failures ? 1 : 0;
}

} // namespace varno::cli
