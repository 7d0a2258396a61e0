#include "cli/progress.h"

#include <sys/ioctl.h>
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

namespace {

// Characters, as a terminal counts columns: UTF-8 continuation bytes take none.
size_t columnsOf(const std::string& text) {
    size_t n = 0;
    for (unsigned char c : text) n += (c & 0xC0) != 0x80;
    return n;
}

// The first `columns` characters.
std::string firstColumns(const std::string& text, size_t columns) {
    size_t n = 0;
    for (size_t i = 0; i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && n++ == columns) return text.substr(0, i);
    return text;
}

// The last `columns` characters.
std::string lastColumns(const std::string& text, size_t columns) {
    size_t n = 0;
    for (size_t i = text.size(); i-- > 0;)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && ++n == columns) return text.substr(i);
    return columns ? text : std::string();
}

// The shortest name worth shortening to; below it the line is cut instead.
constexpr size_t kShortestName = 8;

} // namespace

size_t terminalColumns() {
    struct winsize size {};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

std::string fitLine(const std::string& name, const std::string& rest, size_t columns) {
    // The last column stays free: a character there moves some terminals' cursor to the next line.
    const size_t room = columns > 1 ? columns - 1 : 1;
    if (columnsOf(name) + columnsOf(rest) <= room) return name + rest;
    const size_t restColumns = columnsOf(rest);
    // Shortened in the middle: a name's start and its end (a file's own name, its subsong) both tell.
    if (room >= restColumns + kShortestName) {
        const size_t keep = room - restColumns - 1;
        return firstColumns(name, keep / 2) + "\u2026" + lastColumns(name, keep - keep / 2) + rest;
    }
    return firstColumns(name + rest, room);
}

std::string playStatusLine(const PlayStatus& s, size_t columns) {
    const std::string name = (s.paused ? "|| " : "> ") + s.name;
    std::string rest;
    if (s.count > 1) rest += "  subsong " + std::to_string(s.subsong + 1) + "/" + std::to_string(s.count);
    rest += "  " + minutesSeconds(s.seconds) + (s.length > 0 ? " / " + minutesSeconds(s.length) : "");
    char volume[32];
    std::snprintf(volume, sizeof volume, "  vol %+.0f dB", s.gainDb);
    // Where room is short the format goes first, then the volume, then the name shortens.
    for (const std::string& tail : {"  " + s.format + volume, std::string(volume), std::string()})
        if (columnsOf(name + rest + tail) < columns || tail.empty()) return fitLine(name, rest + tail, columns);
    return {};
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
    // The name is set apart again so that a narrow terminal shortens it rather than wrapping the line.
    const std::string line = progressLine(name_, song, start_, end_, wall);
    std::fprintf(stderr, "\r\033[K%s", fitLine(name_, line.substr(name_.size()), terminalColumns()).c_str());
    std::fflush(stderr);
}

} // namespace varno::cli
