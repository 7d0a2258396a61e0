#include "players/player_archive.h"
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
#include "session/song.h"
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
                                  double limitSeconds, bool hostSilenceEnd, size_t maxSubsongs) {
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
    auto song = std::make_unique<Song>();
    auto machine = createMachine(&PortableHost::instance().tables(), archiveDirectory.c_str());
    if (machine) attachSong(*machine, *song);
    if (!machine || !openModule(*machine, *song, path.c_str(), data.data(), uint32_t(data.size()))) {
        pluginSettings = saved;
        out[0].error = "no player opened " + path;
        return out;
    }
    out.resize(std::min<size_t>(song->subsongCount, std::max<size_t>(maxSubsongs, 1)));
    std::vector<float> part(2 * 960);
    const size_t limit = size_t(limitSeconds * kSampleRate);
    for (size_t subsong = 0; subsong < out.size(); ++subsong) {
        Render& r = out[subsong];
        if (subsong > 0) startSubsong(*machine, *song, int32_t(subsong), false);
        r.format = song->formatName;
        r.title = song->songTitle;
        if (const SlavePlayer* player = currentPlayer(*machine, *song)) {
            r.formatTitle = player->formatTitle;
            r.playerName = player->playerName ? player->playerName : "";
        }
        while (r.mono.size() < limit) {
            // Less than one tick at a time, so the silent stretch never reaches 3 s.
            if (!hostSilenceEnd) song->silentSamples = 0;
            const int32_t got = render(*machine, *song, part.data(), int32_t(part.size())) / 2;
            for (int32_t i = 0; i < got; ++i) r.mono.push_back(part[size_t(2 * i)]);
            if (got < 960) break;
        }
        r.endedBySongEnd = song->songEndSignalled != 0;
        r.seconds = double(r.mono.size()) / kSampleRate;
        r.ok = true;
    }
    closeModule(*machine, *song);
    pluginSettings = saved;
    return out;
}

bool parseReference(const std::string& name, Reference& out) {
    for (Reference kind : {Reference::Openmpt, Reference::Xmp, Reference::Mpt8, Reference::Flac})
        if (name == referenceName(kind)) {
            out = kind;
            return true;
        }
    return false;
}

const char* referenceName(Reference kind) {
    switch (kind) {
    case Reference::Openmpt: return "openmpt";
    case Reference::Xmp: return "xmp";
    case Reference::Mpt8: return "mpt8";
    case Reference::Flac: return "flac";
    }
    return "";
}

namespace {

// openmpt123 --render runs on for 100 ms after the song's end (the same for every
// module measured). Its --info length is not used: for a break into the middle of a
// pattern it counts rows that its own playback skips.
constexpr double kOpenmptTail = 0.1;

std::filesystem::path scratchFile(const std::string& path, const char* extension) {
    return std::filesystem::temp_directory_path() / ("varno-compare-" + std::to_string(getpid()) + "-" +
                                                     std::filesystem::path(path).filename().string() + extension);
}

// Any sound file libsndfile reads, down-mixed to mono.
Render readSoundFile(const std::filesystem::path& file, const std::string& who) {
    Render r;
    SF_INFO info{};
    SNDFILE* sound = sf_open(file.string().c_str(), SFM_READ, &info);
    if (!sound) {
        r.error = "cannot read " + who + "'s render " + file.string();
        return r;
    }
    std::vector<float> frames(size_t(info.frames) * size_t(info.channels));
    sf_readf_float(sound, frames.data(), info.frames);
    sf_close(sound);
    r.mono.resize(size_t(info.frames));
    for (size_t i = 0; i < r.mono.size(); ++i) {
        float sum = 0;
        for (int c = 0; c < info.channels; ++c) sum += frames[i * size_t(info.channels) + size_t(c)];
        r.mono[i] = sum / float(info.channels);
    }
    r.rate = info.samplerate;
    r.seconds = double(info.frames) / info.samplerate;
    r.ok = r.rate > 0;
    return r;
}

Render runToFile(const std::string& command, const std::filesystem::path& file, const std::string& who) {
    Render r;
    if (std::system(command.c_str()) != 0) {
        std::filesystem::remove(file);
        r.error = who + " failed";
        return r;
    }
    r = readSoundFile(file, who);
    std::filesystem::remove(file);
    return r;
}

std::string mpt8Script() { return std::string(VARNO_COMPARE_SOURCE_DIR) + "/mpt8_render.mjs"; }

// Raw 32-bit floats at 48 kHz on the script's standard output; its last line on
// standard error reads "duration <seconds>".
Render renderMpt8(const std::string& path, int subsong, double maxSeconds) {
    Render r;
    const auto errors = scratchFile(path, ".log");
    const std::string command = "node " + quoted(mpt8Script()) + " " + quoted(path) + " " + std::to_string(subsong) +
                                " " + std::to_string(maxSeconds) + " 2> " + quoted(errors.string());
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        r.error = "cannot run node";
        return r;
    }
    float block[4096];
    size_t got;
    while ((got = std::fread(block, sizeof(float), 4096, pipe)) > 0) r.mono.insert(r.mono.end(), block, block + got);
    const int status = pclose(pipe);
    std::ifstream log(errors);
    std::string line, last;
    while (std::getline(log, line))
        if (!line.empty()) last = line;
    std::filesystem::remove(errors);
    if (status != 0 || last.rfind("duration ", 0) != 0) {
        r.error = "libopenmpt 0.8 failed: " + last;
        return r;
    }
    r.seconds = std::atof(last.c_str() + 9);
    r.ok = true;
    return r;
}

} // namespace

bool referenceAvailable(Reference kind, const std::string& referenceDir) {
    switch (kind) {
    case Reference::Openmpt: return std::system("openmpt123 --short-version > /dev/null 2>&1") == 0;
    case Reference::Xmp: return std::system("xmp --version > /dev/null 2>&1") == 0;
    case Reference::Mpt8: {
        const char* named = std::getenv("VARNO_CHIPTUNE3");
        const std::filesystem::path library =
            named ? std::filesystem::path(named)
                  : std::filesystem::path(VARNO_COMPARE_SOURCE_DIR) /
                        "../../build/npm/node_modules/chiptune3/libopenmpt.worklet.js";
        return std::filesystem::exists(library) && std::filesystem::exists(mpt8Script()) &&
               std::system("node --version > /dev/null 2>&1") == 0;
    }
    case Reference::Flac: return std::filesystem::is_directory(referenceDir);
    }
    return false;
}

Render renderReference(Reference kind, const std::string& path, int subsong, double maxSeconds,
                       const std::string& referenceDir) {
    Render r;
    switch (kind) {
    case Reference::Openmpt: {
        const auto wav = scratchFile(path, ".wav");
        r = runToFile("openmpt123 --batch --quiet --force --filter 1 --samplerate 48000 --channels 1 --no-float "
                      "--subsong " + std::to_string(subsong) + " -o " + quoted(wav.string()) + " -- " + quoted(path) +
                          " > /dev/null 2>&1",
                      wav, "openmpt123");
        r.seconds = std::max(0.0, r.seconds - kOpenmptTail);
        break;
    }
    case Reference::Xmp: {
        const auto wav = scratchFile(path, ".wav");
        r = runToFile("xmp --quiet --nocmd --norc -d wav -f 48000 -m -i nearest -o " + quoted(wav.string()) + " " +
                          quoted(path) + " > /dev/null 2>&1",
                      wav, "xmp");
        break;
    }
    case Reference::Mpt8: r = renderMpt8(path, subsong, maxSeconds); break;
    case Reference::Flac: {
        const auto file = std::filesystem::path(referenceDir) / (std::filesystem::path(path).filename().string() +
                                                                 ".60s.flac");
        r = readSoundFile(file, "the stored reference");
        r.seconds = 0;
        break;
    }
    }
    if (r.ok && maxSeconds > 0 && r.mono.size() > size_t(maxSeconds * r.rate)) r.mono.resize(size_t(maxSeconds * r.rate));
    return r;
}

} // namespace varno::compare
