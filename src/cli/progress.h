// A one-line progress display on standard error for long renders, shown only
// when standard error is a terminal.
#pragma once

#include <chrono>
#include <string>

namespace varno::cli {

class Progress {
public:
    explicit Progress(std::string label);
    ~Progress(); // clears the line

    // Song time rendered, the song's length when known (else 0).
    void update(double songSeconds, double lengthSeconds);

private:
    std::string label_;
    bool shown_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point last_;
};

// "3:05" for 185.7 seconds.
std::string minutesSeconds(double seconds);

} // namespace varno::cli
