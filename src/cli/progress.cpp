#include "cli/progress.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace varno::cli {

namespace {
constexpr int kBarWidth = 24;
}

std::string minutesSeconds(double seconds) {
    const long s = long(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    return text;
}

Progress::Progress(std::string label)
    : label_(std::move(label)), shown_(::isatty(STDERR_FILENO) == 1), start_(std::chrono::steady_clock::now()),
      last_(start_) {}

Progress::~Progress() {
    if (shown_) std::fprintf(stderr, "\r\033[K");
}

void Progress::update(double song, double length) {
    if (!shown_) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < std::chrono::milliseconds(100)) return;
    last_ = now;
    const double wall = std::chrono::duration<double>(now - start_).count();
    const double speed = wall > 0 ? song / wall : 0;
    std::string bar;
    if (length > 0) {
        const int filled = int(kBarWidth * std::min(1.0, song / length));
        bar = "[" + std::string(size_t(filled), '#') + std::string(size_t(kBarWidth - filled), '.') + "] ";
    }
    const std::string of = length > 0 ? " / " + minutesSeconds(length) : "";
    std::fprintf(stderr, "\r\033[K%s %s%s%s  %.0fx", label_.c_str(), bar.c_str(), minutesSeconds(song).c_str(),
                 of.c_str(), speed);
    std::fflush(stderr);
}

} // namespace varno::cli
