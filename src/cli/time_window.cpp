#include "cli/time_window.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace varno::cli {

namespace {

uint64_t toFrames(double seconds, uint32_t rate) { return uint64_t(std::llround(seconds * double(rate))); }

} // namespace

long roundedMillis(double seconds) { return std::lround(std::max(0.0, seconds) * 1000); }

std::string lengthText(double seconds) {
    const long millis = roundedMillis(seconds);
    char text[40];
    std::snprintf(text, sizeof text, "%ld:%02ld.%03ld", millis / 60000, millis / 1000 % 60, millis % 1000);
    return text;
}

std::string timeText(double seconds) {
    const std::string text = lengthText(seconds);
    return roundedMillis(seconds) % 1000 ? text : text.substr(0, text.size() - 4);
}

std::optional<FramePlan> planFrames(const TimeWindow& w, double length, uint32_t rate, std::string& error) {
    FramePlan plan;
    plan.startFrame = toFrames(w.start, rate);
    std::optional<double> end;
    if (w.end >= 0) {
        if (w.end <= w.start) {
            error = "--end " + timeText(w.end) + " is not after --start " + timeText(w.start);
            return std::nullopt;
        }
        end = w.end;
    }
    if (w.duration >= 0) {
        if (w.duration == 0) {
            error = "--duration 0 leaves nothing to render";
            return std::nullopt;
        }
        end = std::min(end.value_or(w.start + w.duration), w.start + w.duration);
    }
    if (w.loops > 1) {
        if (length <= 0) {
            error = "--loops needs the song's length, and no end of the song was found";
            return std::nullopt;
        }
        plan.playThroughSongEnd = true;
        end = std::min(end.value_or(w.loops * length), w.loops * length);
    }
    plan.silenceIsMusic = end.has_value();
    if (w.limit > 0 && w.limit <= w.start) {
        error = "--time " + timeText(w.limit) + " cuts every song before --start " + timeText(w.start);
        return std::nullopt;
    }
    if (w.fade > 0 && !end) {
        if (length <= 0 && w.limit <= 0) {
            error = "--fade needs an end: the song's length is unknown (give --duration, --end or --time)";
            return std::nullopt;
        }
        // The fade ends the song where it would have ended.
        end = length > 0 ? length : w.limit;
    }
    if (w.limit > 0) end = std::min(end.value_or(w.limit), w.limit);
    if (end) {
        if (*end <= w.start) {
            error = "the song ends at " + timeText(*end) + ", before --start " + timeText(w.start);
            return std::nullopt;
        }
        plan.stopFrame = toFrames(*end, rate);
    }
    if (w.fade > 0) plan.fadeFrames = std::min(toFrames(w.fade, rate), plan.stopFrame - plan.startFrame);
    return plan;
}

float fadeGain(const FramePlan& plan, uint64_t frame) {
    if (plan.fadeFrames == 0 || plan.stopFrame == kNoStop) return 1.0f;
    if (frame >= plan.stopFrame) return 0.0f;
    const uint64_t left = plan.stopFrame - frame;
    return left >= plan.fadeFrames ? 1.0f : float(double(left) / double(plan.fadeFrames));
}

} // namespace varno::cli
