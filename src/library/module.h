// The library's one public face: a module opened from a file or from memory,
// its subsongs and their lengths, float samples at the chosen rate, seeking,
// what its player says about it, and the settings it plays by. The emulated
// Amiga behind it stays out of sight.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/host_tables.h"

namespace varno {

enum class Interpolation { none, sinc, amiga500, amiga1200 };

// What changes the samples and the lengths; fixed for a module once open.
struct PlaybackSettings {
    uint32_t sampleRate = 48000; // 8000 to 192000 Hz
    int stereoSeparation = 75; // percent, when surround is off
    bool surround = true;
    Interpolation interpolation = Interpolation::none;
    bool useSongEnd = true;    // a player's own song-end signal ends the song
    int playTimeSeconds = 180; // songs are cut here unless their player finds the end; 0: no limit
};

// A player executable held in memory, as an entry of a player archive.
struct PlayerFile {
    std::string name;
    std::vector<uint8_t> bytes;
};

struct OpenOptions {
    PlaybackSettings settings;
    // The player archive (a ZIP of Amiga executables), read through the host's archive
    // support; or, when players is not empty, the players themselves, which are
    // then copied into the module's machine.
    std::string playersPath;
    std::vector<PlayerFile> players;
    // The host's file and archive functions (the music player's, or the portable
    // host's): needed for playersPath, and for the files a player loads beside its
    // module. Null: players in memory, and no files beside the module.
    const HostTables* host = nullptr;
    // Lengths are measured at open by playing each subsong through silently.
    bool measureLengths = true;
};

// A file that no player takes, or that cannot be read.
class OpenError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Texts are UTF-8 (the Amiga's are ISO 8859-1, converted).
struct ModuleInfo {
    std::string title;
    std::string author;
    std::string comment;    // the song's message, lines ended by '\n' (OctaMED's annotation)
    std::string format;     // the format's short name ("MOD")
    std::string formatText; // the song's format as its player names it ("ProTracker", "HVL")
    std::string player;
    int channels = 0;       // the voices the song plays
    std::vector<std::string> instruments; // in the song's order, empty names kept
};

// Each module has a machine of its own, with its own processor: any number may be
// open and played in turn. A module is used from one thread at a time. A
// moved-from module may only be destroyed or assigned to.
class Module {
public:
    // Throws OpenError. A path "archive|entry" reaches a file inside an archive
    // when the host reads archives.
    Module(const std::string& path, const OpenOptions& options);
    // name stands for the module's file name, for players that look at it.
    Module(const void* data, size_t size, const std::string& name, const OpenOptions& options);
    ~Module();
    Module(Module&&) noexcept;
    Module& operator=(Module&&) noexcept;

    int subsongCount() const;
    int subsong() const; // from 0
    // Starts a subsong from its beginning; one that does not exist is ignored.
    void selectSubsong(int subsong);
    // Seconds of each subsong, 0 when not known.
    std::vector<double> subsongLengths() const;

    // Stereo frames, interleaved; fewer than asked (down to 0) once the song ends.
    size_t render(float* frames, size_t count);
    // Seconds into the subsong (a day at most): moves there and returns where it
    // stands, short of the target when the song ends first. Afterwards render goes
    // on exactly as an uninterrupted render would from there.
    double seek(double seconds);
    double position() const;

    ModuleInfo info() const;
    const PlaybackSettings& settings() const;

    struct State; // library/module_state.h

private:
    explicit Module(std::unique_ptr<State> state);
    friend State& stateOf(Module& module);
    std::unique_ptr<State> state_;
};

} // namespace varno
