// varno render: a module's samples as the music player would get them, into a
// WAV or FLAC file or onto standard output.
#include <cmath>
#include <cstdio>
#include <vector>

#include "cli/commands.h"
#include "cli/progress.h"
#include "host/portable_host.h"
#include "plugin/plugin_extras.h"

namespace varno::cli {

namespace {

// Frames asked of the plugin at a time: 100 ms at 48 kHz.
constexpr uint32_t kChunkFrames = 4800;

// Renders the subsong now playing until the plugin ends it.
bool renderSubsong(const XmpInterface& plugin, const RenderOptions& options, const std::string& output,
                   const std::string& label) {
    const uint32_t channels = options.mono ? 1 : 2;
    AudioWriter writer;
    std::string cause;
    if (!writer.open(output, options.rate, channels, options.format, cause)) {
        reportError(output, cause);
        return false;
    }
    std::vector<float> buffer(kChunkFrames * channels);
    Progress progress(label);
    if (options.start > 0) {
        const double reached = plugin.setPosition(uint32_t(std::lround(options.start * 10)));
        if (reached + 0.05 < options.start) {
            reportError(options.file, "the song ends before " + minutesSeconds(options.start));
            return false;
        }
    }
    for (;;) {
        const uint32_t want = uint32_t(buffer.size());
        const uint32_t got = plugin.process(buffer.data(), want);
        if (got && !writer.write(buffer.data(), got / channels)) {
            reportError(output, "cannot be written");
            return false;
        }
        progress.update(playingSeconds(), playingLength());
        if (got < want) break;
    }
    if (!writer.finish(cause)) {
        reportError(output, cause);
        return false;
    }
    return true;
}

uint32_t subsongCount(const XmpInterface& plugin, const std::string& path, HostFile file) {
    const uint32_t info = plugin.getFileInfo(path.c_str(), file, nullptr, nullptr);
    return info & 0xFFFF;
}

} // namespace

int runRender(const RenderOptions& options, const std::string& players, const SettingOverrides& settings) {
    const XmpInterface* plugin = startPlugin(players, settings);
    if (!plugin) return 1;
    const std::string& path = options.file;
    setCurrentFile(path);
    removePartialOnSignal();
    HostFileHandle file;
    std::string cause;
    bool ok = file.open(path, cause);
    if (!ok) {
        reportError(path, cause);
    } else if (!plugin->checkFile(path.c_str(), file.get())) {
        reportError(path, "no player recognises this file");
        ok = false;
    }
    // The format is set before the module opens, so its first ticks are already
    // rendered for it.
    XmpFormat format{options.rate, options.mono ? 1u : 2u, 0};
    if (ok) plugin->setFormat(&format);
    if (ok && plugin->open(path.c_str(), file.get()) == 0) {
        reportError(path, "the player could not set up this module");
        ok = false;
    }
    if (ok) {
        const uint32_t count = subsongCount(*plugin, path, file.get());
        if (options.subsong > int(count)) {
            reportError(path, "there is no subsong " + std::to_string(options.subsong) + " (the module has " +
                                  std::to_string(count) + ")");
            ok = false;
        } else if (options.allSubsongs) {
            for (uint32_t k = 0; k < count && ok; ++k) {
                plugin->setPosition(kPositionSubsong | k);
                ok = renderSubsong(*plugin, options, numberedPath(options.output, int(k + 1)),
                                   "subsong " + std::to_string(k + 1) + "/" + std::to_string(count));
            }
        } else {
            if (options.subsong > 0) plugin->setPosition(kPositionSubsong | uint32_t(options.subsong - 1));
            ok = renderSubsong(*plugin, options, options.output, "rendering");
        }
        plugin->close();
    }
    stopPlugin();
    return ok ? 0 : 1;
}

} // namespace varno::cli
