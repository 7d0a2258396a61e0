// The two renders compared: the module played through the session API with the
// default player archive, and openmpt123's render of the same file.
#pragma once

#include <string>
#include <vector>

namespace varno::compare {

constexpr int kSampleRate = 48000;

struct Render {
    bool ok = false;
    std::string error;
    std::vector<float> mono; // kSampleRate values per second
    double seconds = 0;
    bool endedBySongEnd = false; // the session only: the player signalled the end
    std::string format, formatTitle, title; // the session only
};

// Opens the module with the players of `archiveDirectory` (holding xmp-varno.dat)
// at 48 kHz, no interpolation, no stereo separation or surround, song end on and
// no play-time limit; renders each subsong in turn until it ends (or `limitSeconds`).
// Unless `hostSilenceEnd`, the host's rule that ends a song after 3 s of silence is
// kept from firing, so that the player's own song end is measured. One entry per
// subsong; a single entry with ok = false when the module does not open.
std::vector<Render> renderSession(const std::string& path, const std::string& archiveDirectory,
                                  double limitSeconds, bool hostSilenceEnd = false);

// True when openmpt123 can be run.
bool referenceAvailable();

// openmpt123's render of one subsong with the nearest-sample filter, 48 kHz, mono;
// seconds is the song's length (the render without its 100 ms tail).
Render renderReference(const std::string& path, int subsong);

} // namespace varno::compare
