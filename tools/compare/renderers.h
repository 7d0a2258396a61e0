// The renders compared: the module played through the session API with the
// default player archive, and a reference player's render of the same file.
#pragma once

#include <string>
#include <vector>

namespace varno::compare {

constexpr int kSampleRate = 48000;

struct Render {
    bool ok = false;
    std::string error;
    std::vector<float> mono; // `rate` values per second
    int rate = kSampleRate;
    double seconds = 0;  // the song's length; 0 when the reference cannot tell
    bool endedBySongEnd = false; // the session only: the player signalled the end
    std::string format, formatTitle, playerName, title; // the session only
};

// Opens the module with the players of `archiveDirectory` (holding xmp-varno.dat)
// at 48 kHz, no interpolation, no stereo separation or surround, song end on and
// no play-time limit; renders each subsong in turn until it ends (or `limitSeconds`).
// Unless `hostSilenceEnd`, the host's rule that ends a song after 3 s of silence is
// kept from firing, so that the player's own song end is measured. One entry per
// subsong (only the first `maxSubsongs`); a single entry with ok = false when the
// module does not open.
std::vector<Render> renderSession(const std::string& path, const std::string& archiveDirectory,
                                  double limitSeconds, bool hostSilenceEnd = false, size_t maxSubsongs = 64);

// The reference players:
//   openmpt  openmpt123 (Debian), nearest-sample filter
//   xmp      xmp (Debian), nearest-sample interpolation; subsong 0 only
//   mpt8     libopenmpt 0.8 in node (tools/compare/mpt8_render.mjs, npm chiptune3)
//   flac     a stored render <referenceDir>/<file name>.60s.flac; it gives no length
enum class Reference { Openmpt, Xmp, Mpt8, Flac };
bool parseReference(const std::string& name, Reference& out);
const char* referenceName(Reference kind);

// True when the reference can be run (or, for flac, when referenceDir exists).
bool referenceAvailable(Reference kind, const std::string& referenceDir);

// The reference's render of one subsong, mono, at most maxSeconds long (the song's
// length is still measured where the reference tells it).
Render renderReference(Reference kind, const std::string& path, int subsong, double maxSeconds,
                       const std::string& referenceDir);

} // namespace varno::compare
