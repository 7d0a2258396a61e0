#include "library/module.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

#include "amigaos/text.h"
#include "library/module_state.h"
#include "machine/amiga_machine.h"
#include "players/player_archive.h"
#include "players/slave_player.h"
#include "session/frame_driver.h"
#include "session/length_measure.h"
#include "session/module_session.h"
#include "session/render.h"
#include "session/seek.h"
#include "session/song.h"

namespace varno {

namespace {

constexpr double kMaxSeekSeconds = 24 * 3600;

PluginSettings machineSettingsOf(const PlaybackSettings& s) {
    PluginSettings p;
    p.stereo_separation = std::clamp(s.stereoSeparation, 0, 100);
    p.surround = s.surround ? 1 : 0;
    p.use_songend = s.useSongEnd ? 1 : 0;
    p.default_playtime = std::max(0, s.playTimeSeconds);
    p.interpolation = int32_t(s.interpolation);
    return p;
}

PlaybackSettings playbackSettingsOf(const PluginSettings& p, uint32_t sampleRate) {
    PlaybackSettings s;
    s.sampleRate = sampleRate;
    s.stereoSeparation = p.stereo_separation;
    s.surround = p.surround != 0;
    s.useSongEnd = p.use_songend != 0;
    s.playTimeSeconds = p.default_playtime;
    s.interpolation = Interpolation(std::clamp(p.interpolation, 0, 3));
    return s;
}

// The folder part of a path, with its separator.
std::string folderOf(const std::string& path) {
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

// Opens the bytes on the state's machine; throws OpenError naming why not.
void openOn(Module::State& state, const char* name, const uint8_t* data, size_t size) {
    AmigaMachine& m = *state.machine;
    Song& song = *state.song;
    if (size == 0) throw OpenError("the file is empty");
    if (size > m.mainMemory->size) throw OpenError("the file is larger than the emulated Amiga's memory");
    state.fault.clear();
    if (openModule(m, song, name, data, uint32_t(size))) {
        state.delivered = 0;
        return;
    }
    // A module with its own player plays without any from the archive.
    const PlayerArchive* players = m.players.get();
    if (!players || players->count <= 1)
        throw OpenError(players && players->archivePath[0]
                            ? std::string("no players could be loaded from ") + players->archivePath
                            : std::string("none of the players given could be loaded"));
    throw OpenError(state.fault.empty() ? std::string("no player recognises it") : state.fault);
}

std::unique_ptr<Module::State> ownMachine(const OpenOptions& options) {
    if (options.settings.sampleRate < 8000 || options.settings.sampleRate > 192000)
        throw OpenError("the sample rate must be from 8000 to 192000 Hz");
    auto state = std::make_unique<Module::State>();
    Module::State& s = *state;
    s.settings = options.settings;
    s.machineSettings = machineSettingsOf(options.settings);
    const bool inMemory = !options.players.empty();
    if (!inMemory) {
        if (options.playersPath.empty()) throw OpenError("no players given (a player archive or players in memory)");
        if (!options.host) throw OpenError("a player archive is read through a host's archive support: none was given");
        s.playersPath = options.playersPath;
        s.playersFolder = folderOf(s.playersPath);
    }
    // The players' own environment files lie beside their archive.
    s.owned = createMachine(options.host, s.playersFolder.c_str());
    AmigaMachine& m = *s.owned;
    s.machine = &m;
    s.ownedSong = std::make_unique<Song>();
    Song& song = *s.ownedSong;
    s.song = &song;
    m.faultSink = [&s](const std::string& text) { s.fault = text; };
    m.settings = &s.machineSettings;
    song.sampleRate = s.settings.sampleRate;
    song.outputChannels = 2;
    attachSong(m, song);
    song.updateFrameSamples();
    if (inMemory) {
        std::vector<PlayerBytes> players;
        for (const PlayerFile& player : options.players)
            players.push_back({player.name.c_str(), player.bytes.data(),
                               uint32_t(std::min<size_t>(player.bytes.size(), UINT32_MAX))});
        createPlayerCatalogue(m, players.data(), players.size());
    } else {
        createPlayerArchiveAt(m, s.playersPath.c_str());
    }
    return state;
}


std::vector<uint8_t> readFile(const std::string& path, const HostTables* host) {
    // A file larger than emulated memory cannot be a module it holds: it is not read.
    const auto checkedSize = [](uint64_t size) {
        if (size > kMainMemorySize) throw OpenError("the file is larger than the emulated Amiga's memory");
        return size_t(size);
    };
    std::vector<uint8_t> data;
    const HostFileFunctions* f = host ? host->fileFunctions : nullptr;
    if (f && f->open && f->size && f->read && f->close) {
        HostFile file = f->open(path.c_str());
        if (!file) throw OpenError("cannot be opened");
        try {
            data.resize(checkedSize(f->size(file)));
        } catch (...) {
            f->close(file);
            throw;
        }
        const uint32_t got = data.empty() ? 0 : f->read(file, data.data(), uint32_t(data.size()));
        f->close(file);
        if (got != data.size()) throw OpenError("cannot be read");
        return data;
    }
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) throw OpenError("cannot be opened");
    data.resize(checkedSize(uint64_t(std::max<std::streamoff>(0, in.tellg()))));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(data.data()), std::streamsize(data.size()))) throw OpenError("cannot be read");
    return data;
}

// A text field of the song's record, up to its NUL or its end.
std::string fieldText(const char* field, size_t size) { return std::string(field, std::find(field, field + size, '\0')); }

} // namespace

Module::State::State() = default;

Module::State::~State() {
    if (!machine) return;
    closeModule(*machine, *song);
    owned.reset();
}

Module::State& stateOf(Module& module) { return *module.state_; }

Module moduleOnMachine(AmigaMachine& machine, Song& song, const char* path, const uint8_t* data, uint32_t size) {
    auto state = std::make_unique<Module::State>();
    state->machine = &machine;
    state->song = &song;
    state->settings = playbackSettingsOf(*machine.settings, song.sampleRate);
    try {
        openOn(*state, path, data, size);
    } catch (...) {
        state->machine = nullptr; // nothing is open to close
        state->song = nullptr;
        throw;
    }
    return Module::State::wrap(std::move(state));
}

Module::Module(std::unique_ptr<State> state) : state_(std::move(state)) {}

Module::Module(const std::string& path, const OpenOptions& options) {
    const std::vector<uint8_t> data = readFile(path, options.host);
    auto state = ownMachine(options);
    {
        openOn(*state, path.c_str(), data.data(), data.size());
    }
    state_ = std::move(state);
    if (options.measureLengths) measureLengths(*this);
}

Module::Module(const void* data, size_t size, const std::string& name, const OpenOptions& options) {
    auto state = ownMachine(options);
    {
        openOn(*state, name.c_str(), static_cast<const uint8_t*>(data), data ? size : 0);
    }
    state_ = std::move(state);
    if (options.measureLengths) measureLengths(*this);
}

Module::~Module() = default;
Module::Module(Module&&) noexcept = default;
Module& Module::operator=(Module&&) noexcept = default;

int Module::subsongCount() const { return int(state_->song->subsongCount); }

int Module::subsong() const {
    const Song& song = *state_->song;
    return int(song.currentSubsong - song.firstSubsong);
}

void Module::selectSubsong(int subsong) {
    if (subsong < 0 || subsong >= subsongCount()) return;
    startSubsong(*state_->machine, *state_->song, subsong, false);
    state_->delivered = 0;
}

std::vector<double> Module::subsongLengths() const {
    const Song& song = *state_->song;
    std::vector<double> seconds;
    for (uint32_t s = song.firstSubsong; s < song.firstSubsong + song.subsongCount && s < uint32_t(kMaxSubsongs); ++s)
        seconds.push_back(song.subsongSeconds[s]);
    return seconds;
}

int32_t renderValues(Module& module, float* values, int32_t count) {
    Module::State& state = stateOf(module);
    Song& song = *state.song;
    const int32_t got = render(*state.machine, song, values, count);
    state.delivered += uint64_t(got) / (song.outputChannels == 1 ? 1 : 2);
    return got;
}

size_t Module::render(float* frames, size_t count) {
    const size_t channels = state_->song->outputChannels == 1 ? 1 : 2;
    // The render loop counts values in 32 bits: a larger request goes in parts.
    constexpr size_t kPart = size_t(1) << 28;
    size_t done = 0;
    while (done < count) {
        const size_t want = std::min(count - done, kPart);
        const int32_t got = renderValues(*this, frames + done * channels, int32_t(want * channels));
        done += size_t(got) / channels;
        if (size_t(got) < want * channels) break;
    }
    return done;
}

int measureLengths(Module& module) {
    Module::State& state = stateOf(module);
    state.delivered = 0;
    return measureSubsongLengths(*state.machine, *state.song);
}

uint64_t seekToFrame(Module& module, uint64_t frame) {
    Module::State& state = stateOf(module);
    state.delivered = seekFrames(*state.machine, *state.song, state.delivered, frame);
    return state.delivered;
}

double Module::seek(double seconds) {
    // A song that never ends would be played through for ever: a seek goes a day at most.
    const double target = std::clamp(std::isnan(seconds) ? 0.0 : seconds, 0.0, kMaxSeekSeconds);
    seekToFrame(*this, uint64_t(std::llround(target * double(state_->song->sampleRate))));
    return position();
}

double Module::position() const {
    const uint32_t rate = state_->song->sampleRate;
    return rate ? double(state_->delivered) / double(rate) : 0;
}

ModuleInfo Module::info() const {
    const Song& song = *state_->song;
    ModuleInfo info;
    info.title = fieldText(song.songTitle, sizeof song.songTitle);
    info.author = song.songInfo.author;
    info.comment = song.songInfo.comment;
    info.format = fieldText(song.formatName, sizeof song.formatName);
    info.instruments = song.songInfo.sampleNames;
    if (const SlavePlayer* player = currentPlayer(*state_->machine, song)) {
        info.formatText = song.songInfo.formatTitle;
        info.player = amigaText(player->playerName ? player->playerName : "");
        info.channels = int(song.songInfo.voices);
    }
    return info;
}

const PlaybackSettings& Module::settings() const { return state_->settings; }

} // namespace varno
