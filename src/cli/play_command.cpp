// varno play: the files in order on the sound card, each song's subsongs in
// turn, with keys for pause, songs, subsongs, seeking and volume, and one status
// line. Without a terminal (a pipe, a script) it plays through with no keys.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <thread>
#include <vector>

#include "cli/audio_output.h"
#include "cli/commands.h"
#include "cli/keys.h"
#include "cli/module_facts.h"
#include "cli/output_path.h"
#include "cli/playlist.h"
#include "cli/progress.h"
#include "cli/sample_level.h"
#include "cli/stretch_playback.h"
#include "machine/settings.h"
#include "plugin/plugin_extras.h"

namespace varno::cli {

namespace {

// 1024 frames: about 21 ms at 48 kHz between looks at the keyboard.
constexpr uint32_t kChunkFrames = 1024;
constexpr double kSeekSeconds = 5;
constexpr double kVolumeStepDb = 1;

std::atomic<bool> interrupted{false};
extern "C" void stopPlaying(int) { interrupted = true; }

// What one subsong's playing ended with.
enum class Outcome { Ended, Move, Quit, Failed };

struct Player {
    const XmpInterface& plugin;
    const PlayOptions& options;
    AudioOutput& output;
    TerminalKeys& keys;
    std::vector<float>& buffer;
    double gainDb;
    bool statusLine; // standard error is a terminal
    PlayEvent move = PlayEvent::NextSong;
};

void showStatus(const Player& p, const std::string& name, uint32_t subsong, uint32_t count, double seconds,
                double length, const std::string& format, bool paused) {
    const PlayStatus status{name, subsong, count, seconds, length, format, p.gainDb, paused};
    std::fprintf(stderr, "\r\033[K%s", playStatusLine(status, terminalColumns()).c_str());
    std::fflush(stderr);
}

// Plays subsong k of the open module until it ends, a key moves on, or quit.
Outcome playSubsong(Player& p, const std::string& name, const ModuleFacts& facts, uint32_t k) {
    const uint32_t count = uint32_t(std::max<size_t>(1, facts.subsongSeconds.size()));
    const PlayOptions& o = p.options;
    p.plugin.setPosition(kPositionSubsong | k);
    const double length = k < facts.subsongSeconds.size() ? facts.subsongSeconds[k] : 0.0;
    std::string error;
    const std::optional<FramePlan> plan = planFrames(o.window, length, o.rate, error);
    const std::string label = count > 1 ? name + " subsong " + std::to_string(k + 1) : name;
    if (!plan) {
        reportError(label, error);
        return Outcome::Failed;
    }
    const StretchPlayback stretch(*plan);
    uint64_t frame = 0;
    if (plan->startFrame > 0) {
        const double reached = p.plugin.setPosition(uint32_t(std::lround(o.window.start * 10)));
        if (reached + 0.05 < o.window.start) {
            reportError(label, "the song ends at " + timeText(reached) + ", before --start " + timeText(o.window.start));
            return Outcome::Failed;
        }
        frame = uint64_t(std::llround(reached * o.rate));
    }
    if (!p.statusLine) {
        std::fprintf(stderr, "Playing %s (%s)\n", label.c_str(), facts.formatText.c_str());
    }
    const double end = plan->stopFrame != kNoStop ? double(plan->stopFrame) / o.rate : length;
    bool paused = false;
    auto lastStatus = std::chrono::steady_clock::time_point{};
    Outcome outcome = Outcome::Ended;
    // What plays is shown before any key can move on from it.
    if (p.statusLine) showStatus(p, name, k, count, double(frame) / o.rate, end, facts.formatText, false);
    for (;;) {
        if (interrupted) {
            outcome = Outcome::Quit;
            break;
        }
        bool leave = false;
        while (const std::optional<Key> key = p.keys.poll()) {
            const double now = double(frame) / o.rate;
            switch (*key) {
            case Key::Quit: outcome = Outcome::Quit; leave = true; break;
            case Key::Pause:
                paused = !paused;
                if (paused) p.output.pause();
                else p.output.resume();
                break;
            case Key::NextSong: p.move = PlayEvent::NextSong; outcome = Outcome::Move; leave = true; break;
            case Key::PreviousSong: p.move = PlayEvent::PreviousSong; outcome = Outcome::Move; leave = true; break;
            case Key::NextSubsong: p.move = PlayEvent::NextSubsong; outcome = Outcome::Move; leave = true; break;
            case Key::PreviousSubsong: p.move = PlayEvent::PreviousSubsong; outcome = Outcome::Move; leave = true; break;
            case Key::SeekForward:
            case Key::SeekBack: {
                const double target = std::max(0.0, now + (*key == Key::SeekForward ? kSeekSeconds : -kSeekSeconds));
                const double reached = p.plugin.setPosition(uint32_t(std::lround(target * 10)));
                frame = uint64_t(std::llround(reached * o.rate));
                if (reached + 0.05 < target) leave = true; // the song ended before
                break;
            }
            case Key::VolumeUp: p.gainDb = std::min(40.0, p.gainDb + kVolumeStepDb); break;
            case Key::VolumeDown: p.gainDb = std::max(-60.0, p.gainDb - kVolumeStepDb); break;
            }
            lastStatus = {};
            if (leave) break;
        }
        if (leave) break;
        const auto now = std::chrono::steady_clock::now();
        if (p.statusLine && now - lastStatus > std::chrono::milliseconds(200)) {
            lastStatus = now;
            showStatus(p, name, k, count, double(frame) / o.rate, end, facts.formatText, paused);
        }
        if (paused) {
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            continue;
        }
        const uint64_t left = plan->stopFrame == kNoStop ? kChunkFrames : plan->stopFrame - std::min(frame, plan->stopFrame);
        const uint32_t want = uint32_t(std::min<uint64_t>(kChunkFrames, left));
        if (want == 0) break;
        const uint32_t got = p.plugin.process(p.buffer.data(), want * 2) / 2;
        applyLevel(p.buffer.data(), got, 2, gainFactor(p.gainDb), *plan, frame, true);
        if (got && !p.output.write(p.buffer.data(), got)) {
            reportError("", "the sound output stopped taking samples");
            outcome = Outcome::Failed;
            break;
        }
        frame += got;
        if (got < want) break;
    }
    if (paused) p.output.resume();
    return outcome;
}

} // namespace

namespace {

int playFiles(const PlayOptions& options, const std::string& players, const SettingOverrides& settings) {
    const XmpInterface* plugin = startPlugin(players, settings);
    if (!plugin) return 1;
    const std::vector<std::string> files = expandArchives(options.files);
    AudioOutput output;
    std::string cause;
    if (!output.open(options.rate, 2, cause)) {
        reportError("", cause);
        stopPlugin();
        return 1;
    }
    XmpFormat format{options.rate, 2, 0};
    plugin->setFormat(&format);
    std::signal(SIGINT, stopPlaying);
    TerminalKeys keys;
    std::vector<float> buffer(size_t(kChunkFrames) * 2);
    Player player{*plugin, options, output, keys, buffer, options.gainDb, ::isatty(STDERR_FILENO) == 1};
    setStatusLineShown(player.statusLine);
    const std::optional<uint32_t> only =
        options.subsong > 0 ? std::optional<uint32_t>(uint32_t(options.subsong - 1)) : std::nullopt;
    int failures = 0;
    bool quit = false;
    std::optional<PlayPosition> at = PlayPosition{0, only.value_or(0)};
    while (at && !interrupted) {
        const std::string& path = files[at->file];
        setCurrentFile(path);
        HostFileHandle file;
        // Lengths for the status line, where a play time bounds the measuring.
        // The sound card waits, rather than running dry, while a module opens and is
        // measured; the last song's end plays out first.
        output.drain();
        const bool opened = openModule(*plugin, path, file, cause);
        if (opened && pluginSettings.default_playtime > 0) scanSubsongLengths();
        output.resume();
        if (!opened) {
            reportError(path, cause);
            ++failures;
            // On in the direction the listener was going.
            // Once at the first file, onward is forward (and stays so).
            player.move = player.move == PlayEvent::PreviousSong && at->file > 0 ? PlayEvent::PreviousSong
                                                                               : PlayEvent::NextSong;
            at = nextPosition(player.move, *at, 1, files.size(), only);
            continue;
        }
        const ModuleFacts facts = gatherFacts(*plugin, path, file.get());
        const uint32_t count = uint32_t(std::max<size_t>(1, facts.subsongSeconds.size()));
        if (at->subsong >= count) {
            reportError(path, "there is no subsong " + std::to_string(at->subsong + 1) + " (the module has " +
                                  std::to_string(count) + ")");
            ++failures;
            plugin->close();
            at = nextPosition(PlayEvent::NextSong, *at, count, files.size(), only);
            continue;
        }
        const std::string name = shortName(inputFile(path));
        // A module stays open while its subsongs follow one another.
        for (;;) {
            const Outcome outcome = playSubsong(player, name, facts, at->subsong);
            if (outcome == Outcome::Quit) {
                quit = true;
                at.reset();
                break;
            }
            if (outcome == Outcome::Failed) ++failures;
            const PlayEvent event = outcome == Outcome::Move ? player.move : PlayEvent::SongEnded;
            if (outcome != Outcome::Move) player.move = PlayEvent::NextSong;
            const std::optional<PlayPosition> next = nextPosition(event, *at, count, files.size(), only);
            const bool sameFile = next && next->file == at->file;
            at = next;
            if (!sameFile) break;
        }
        plugin->close();
    }
    // What is queued plays out at the end of the list; q and Ctrl-C stop at once.
    if (!interrupted && !quit) output.drain();
    if (player.statusLine) std::fprintf(stderr, "\r\033[K");
    setStatusLineShown(false);
    stopPlugin();
    return failures ? 1 : 0;
}

} // namespace

int runPlay(const PlayOptions& options, const std::string& players, const SettingOverrides& settings) {
    const int code = playFiles(options, players, settings);
    // Interrupted, with the terminal and the sound card put back: ended by the
    // signal as render is, so that the shell sees 130 and a script stops.
    if (interrupted) {
        std::signal(SIGINT, SIG_DFL);
        std::raise(SIGINT);
    }
    return code;
}

} // namespace varno::cli
