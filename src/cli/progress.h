// One-line displays on standard error, shown only when it is a terminal and
// fitted to its width: a long render's progress, and the player's status.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace varno::cli {

// "song.mod  1:05 / 3:00  36%  240x  0:00 left"; without a known end
// (endSeconds 0) only the time and the speed. Times are song times; the
// speed and the time left count what was rendered since startSeconds.
std::string progressLine(const std::string& name, double songSeconds, double startSeconds, double endSeconds,
                         double wallSeconds);

class Progress {
public:
    Progress(std::string name, double startSeconds, double endSeconds);
    ~Progress(); // clears the line

    void update(double songSeconds);
    static bool shown(); // standard error is a terminal

private:
    std::string name_;
    double start_;
    double end_;
    bool shown_;
    std::chrono::steady_clock::time_point began_;
    std::chrono::steady_clock::time_point last_;
};

// What the player's status line shows.
struct PlayStatus {
    std::string name;
    uint32_t subsong = 0; // counted from 0
    uint32_t count = 1;
    double seconds = 0;
    double length = 0;    // 0: unknown
    std::string format;
    double gainDb = 0;
    bool paused = false;
};

// "> song.mod  subsong 2/4  0:41 / 1:24  ProTracker - 4ch  vol +0 dB", fitted
// to a terminal `columns` wide: the format is left out first, then the volume,
// then the name is shortened.
std::string playStatusLine(const PlayStatus& status, size_t columns);

// name + rest in fewer than `columns` characters, so that the line never wraps:
// the name is shortened in the middle ("area…me.mod"), or, where even a short
// name leaves no room, the whole line is cut.
std::string fitLine(const std::string& name, const std::string& rest, size_t columns);

// The width of the terminal on standard error (80 when it cannot be told).
size_t terminalColumns();

// "3:05" for 185.7 seconds.
std::string minutesSeconds(double seconds);

} // namespace varno::cli
