// Which stretch of a subsong is rendered or played: --start, --duration, --end,
// --loops, --fade and --time turned into output frames.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

namespace varno::cli {

struct TimeWindow {
    double start = 0;     // seconds into the subsong
    double duration = -1; // seconds of output; < 0: not given
    double end = -1;      // song time to stop at; < 0: not given
    int loops = 1;        // passes of a song that loops back to its start
    double fade = 0;      // seconds of fade-out before the end
    double limit = -1;    // --time: no song time past this; <= 0: none
};

constexpr uint64_t kNoStop = std::numeric_limits<uint64_t>::max();

// A window in frames counted from the subsong's start.
struct FramePlan {
    uint64_t startFrame = 0;
    uint64_t stopFrame = kNoStop; // kNoStop: where the song itself ends
    uint64_t fadeFrames = 0;      // the last fadeFrames before stopFrame fade out
    bool playThroughSongEnd = false; // --loops: the song's end signal is ignored
    bool silenceIsMusic = false;     // an end the listener chose: no silence ends the song before it
};

// lengthSeconds is the subsong's measured length (0 when unknown): --loops
// needs it, and so does --fade when nothing else gives an end. Nothing, with
// the reason in words, for a window that cannot be.
std::optional<FramePlan> planFrames(const TimeWindow& window, double lengthSeconds, uint32_t rate,
                                    std::string& error);

// The fade's gain at song frame `frame` (1 before the fade, falling to 0 at stopFrame).
float fadeGain(const FramePlan& plan, uint64_t frame);

// A time in whole milliseconds, rounded to the nearest: all that any text of
// the command line shows of a time or a length.
long roundedMillis(double seconds);

// "1:05.250": minutes, seconds and milliseconds, for lengths.
std::string lengthText(double seconds);

// The same for messages, "1:05" when the milliseconds are 0.
std::string timeText(double seconds);

} // namespace varno::cli
