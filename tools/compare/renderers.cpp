#include "renderers.h"

#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "session/render.h"
#include "host/portable_host.h"
#include "machine/amiga_machine.h"
#include "session/frame_driver.h"
#include "session/module_session.h"
#include "machine/settings.h"
#include "players/slave_player.h"

namespace varno::compare {

namespace {

std::vector<uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

} // namespace

std::vector<Render> renderSession(const std::string& path, const std::string& archiveDirectory,
                                  double limitSeconds, bool hostSilenceEnd) {
    std::vector<Render> out(1);
    const std::vector<uint8_t> data = readBytes(path);
    if (data.empty()) {
        out[0].error = "cannot read " + path;
        return out;
    }
    const PluginSettings saved = pluginSettings;
    pluginSettings.stereo_separation = 0;
    pluginSettings.surround = 0;
    pluginSettings.interpolation = 0;
    pluginSettings.use_songend = 1;
    pluginSettings.default_playtime = 0;
    auto machine = createMachine(&PortableHost::instance().tables(), archiveDirectory.c_str());
    if (!machine || !openModule(*machine, path.c_str(), data.data(), uint32_t(data.size()))) {
        pluginSettings = saved;
        out[0].error = "no player opened " + path;
        return out;
    }
    out.resize(machine->subsongCount);
    std::vector<float> part(2 * 960);
    const size_t limit = size_t(limitSeconds * kSampleRate);
    for (size_t subsong = 0; subsong < out.size(); ++subsong) {
        Render& r = out[subsong];
        if (subsong > 0) startSubsong(*machine, int32_t(subsong), false);
        r.format = machine->formatName;
        r.title = machine->songTitle;
        if (const SlavePlayer* player = machine->currentPlayer()) r.formatTitle = player->formatTitle;
        while (r.mono.size() < limit) {
            // Less than one tick at a time, so the silent stretch never reaches 3 s.
            if (!hostSilenceEnd) machine->silentSamples = 0;
            const int32_t got = render(*machine, part.data(), int32_t(part.size())) / 2;
            for (int32_t i = 0; i < got; ++i) r.mono.push_back(part[size_t(2 * i)]);
            if (got < 960) break;
        }
        r.endedBySongEnd = machine->songEndSignalled != 0;
        r.seconds = double(r.mono.size()) / kSampleRate;
        r.ok = true;
    }
    closeModule(*machine);
    pluginSettings = saved;
    return out;
}

bool referenceAvailable() { return std::system("openmpt123 --short-version > /dev/null 2>&1") == 0; }

namespace {

// openmpt123 --render runs on for 100 ms after the song's end (the same for every
// module measured). Its --info length is not used: for a break into the middle of a
// pattern it counts rows that its own playback skips.
constexpr double kReferenceTail = 0.1;

} // namespace

Render renderReference(const std::string& path, int subsong) {
    Render r;
    const auto wav = std::filesystem::temp_directory_path() /
                     ("varno-compare-" + std::to_string(getpid()) + "-" +
                      std::filesystem::path(path).filename().string() + ".wav");
    const std::string command = "openmpt123 --batch --quiet --force --filter 1 --samplerate 48000 --channels 1 "
                                "--no-float --subsong " +
                                std::to_string(subsong) + " -o " +
                                quoted(wav.string()) + " -- " + quoted(path) + " > /dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
        r.error = "openmpt123 failed on " + path;
        return r;
    }
    SF_INFO info{};
    SNDFILE* file = sf_open(wav.string().c_str(), SFM_READ, &info);
    if (!file) {
        r.error = "cannot read openmpt123's render " + wav.string();
        std::filesystem::remove(wav);
        return r;
    }
    std::vector<float> frames(size_t(info.frames) * size_t(info.channels));
    sf_readf_float(file, frames.data(), info.frames);
    sf_close(file);
    std::filesystem::remove(wav);
    r.mono.resize(size_t(info.frames));
    for (size_t i = 0; i < r.mono.size(); ++i) {
        float sum = 0;
        for (int c = 0; c < info.channels; ++c) sum += frames[i * size_t(info.channels) + size_t(c)];
        r.mono[i] = sum / float(info.channels);
    }
    r.seconds = std::max(0.0, double(info.frames) / info.samplerate - kReferenceTail);
    r.ok = info.samplerate == kSampleRate;
    if (!r.ok) r.error = "openmpt123 rendered at another rate";
    return r;
}

} // namespace varno::compare
