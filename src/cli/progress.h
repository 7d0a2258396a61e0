// A one-line progress display on standard error for long renders, shown only
// when standard error is a terminal.
#pragma once

#include <chrono>
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

// "3:05" for 185.7 seconds.
std::string minutesSeconds(double seconds);

} // namespace varno::cli
