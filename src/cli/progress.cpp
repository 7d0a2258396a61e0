#include "cli/progress.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "cli/plugin_host.h"

namespace varno::cli {

std::string minutesSeconds(double seconds) {
    const long s = long(std::max(0.0, seconds));
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    return text;
}

std::string progressLine(const std::string& name, double song, double start, double end, double wall) {
    const double done = std::max(0.0, song - start);
    const double speed = wall > 0 ? done / wall : 0;
    std::string line = name + "  " + minutesSeconds(song);
    char text[96];
    if (end > start) {
        const double fraction = std::clamp(done / (end - start), 0.0, 1.0);
        std::snprintf(text, sizeof text, " / %s  %3d%%", minutesSeconds(end).c_str(), int(fraction * 100));
        line += text;
    }
    std::snprintf(text, sizeof text, "  %.0fx", speed);
    line += text;
    if (end > start && speed > 0) line += "  " + minutesSeconds(std::ceil((end - song) / speed)) + " left";
    return line;
}

bool Progress::shown() { return ::isatty(STDERR_FILENO) == 1; }

Progress::Progress(std::string name, double start, double end)
    // The first update is shown at once, later ones ten times a second.
    : name_(std::move(name)), start_(start), end_(end), shown_(shown()), began_(std::chrono::steady_clock::now()),
      last_(began_ - std::chrono::seconds(1)) {
    setStatusLineShown(shown_);
}

Progress::~Progress() {
    if (shown_) std::fprintf(stderr, "\r\033[K");
    setStatusLineShown(false);
}

void Progress::update(double song) {
    if (!shown_) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < std::chrono::milliseconds(100)) return;
    last_ = now;
    const double wall = std::chrono::duration<double>(now - began_).count();
    std::fprintf(stderr, "\r\033[K%s", progressLine(name_, song, start_, end_, wall).c_str());
    std::fflush(stderr);
}

} // namespace varno::cli
