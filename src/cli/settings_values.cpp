#include "cli/settings_values.h"

#include <charconv>

namespace varno::cli {

namespace {

bool parseNumber(const std::string& text, int low, int high, int& value) {
    int v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || v < low || v > high) return false;
    value = v;
    return true;
}

bool parsePercent(const std::string& text, int& value) {
    const bool sign = !text.empty() && text.back() == '%';
    return parseNumber(sign ? text.substr(0, text.size() - 1) : text, 0, 100, value);
}

// The interpolation setting's values by name, in value order.
constexpr const char* kInterpolationNames[] = {"none", "sinc", "a500", "a1200"};

constexpr int kMaxPlaytime = 1000000;

std::optional<int> storedValue(const std::vector<std::pair<std::string, int>>& stored, const std::string& key) {
    for (const auto& [k, v] : stored)
        if (k == key) return v;
    return std::nullopt;
}

} // namespace

bool parseSwitch(const std::string& text, int& value) {
    if (text == "on") value = 1;
    else if (text == "off") value = 0;
    else return false;
    return true;
}

bool parseInterpolation(const std::string& text, int& value) {
    for (int v = 0; v < 4; ++v)
        if (text == kInterpolationNames[v]) {
            value = v;
            return true;
        }
    return false;
}

bool parseSeconds(const std::string& text, int& value) {
    if (const size_t colon = text.find(':'); colon != std::string::npos) {
        int minutes = 0, seconds = 0;
        if (text.size() - colon != 3 || !parseNumber(text.substr(0, colon), 0, kMaxPlaytime / 60, minutes) ||
            !parseNumber(text.substr(colon + 1), 0, 59, seconds))
            return false;
        value = minutes * 60 + seconds;
        return true;
    }
    const bool unit = !text.empty() && text.back() == 's';
    return parseNumber(unit ? text.substr(0, text.size() - 1) : text, 0, kMaxPlaytime, value);
}

std::string interpolationName(int value) {
    return value >= 0 && value < 4 ? kInterpolationNames[value] : kInterpolationNames[1];
}

bool applySetting(const std::string& assignment, PluginSettings& s, std::string& error) {
    const size_t eq = assignment.find('=');
    if (eq == std::string::npos) {
        error = "\"" + assignment + "\" is not KEY=VALUE";
        return false;
    }
    const std::string key = assignment.substr(0, eq);
    const std::string value = assignment.substr(eq + 1);
    bool ok = false;
    std::string expected;
    if (key == "stereo_separation") {
        ok = parsePercent(value, s.stereo_separation);
        expected = "a percentage from 0 to 100 (50 or 50%)";
    } else if (key == "surround") {
        ok = parseSwitch(value, s.surround);
        expected = "on or off";
    } else if (key == "use_songend") {
        ok = parseSwitch(value, s.use_songend);
        expected = "on or off";
    } else if (key == "default_playtime") {
        ok = parseSeconds(value, s.default_playtime);
        expected = "seconds (180, 180s or 3:00), 0 for no limit";
    } else if (key == "interpolation") {
        ok = parseInterpolation(value, s.interpolation);
        expected = kInterpolationChoices;
    } else if (key == "scan_lengths") {
        ok = parseSwitch(value, s.scan_lengths);
        expected = "on or off";
    } else if (key == "seeking") {
        ok = parseSwitch(value, s.seeking);
        expected = "on or off";
    } else {
        error = "unknown setting \"" + key +
                "\" (stereo_separation, surround, use_songend, default_playtime, interpolation, scan_lengths, seeking)";
        return false;
    }
    if (!ok) error = key + " must be " + expected + ", not \"" + value + "\"";
    return ok;
}

std::vector<SettingDescription> describeSettings(const PluginSettings& s,
                                                 const std::vector<std::pair<std::string, int>>& stored) {
    const auto onOff = [](int v) { return std::string(v ? "on" : "off"); };
    // How a switch's stored value other than 0 or 1 was read.
    const auto switchNote = [&](const char* key) -> std::string {
        const std::optional<int> raw = storedValue(stored, key);
        return raw && *raw != 0 && *raw != 1 ? "the file's " + std::to_string(*raw) + " reads as on" : "";
    };
    std::string separationNote;
    if (const std::optional<int> raw = storedValue(stored, "stereo_separation"); raw && *raw > 100)
        separationNote = "the file's " + std::to_string(*raw) + " is above 100 and reads as 0 (mono)";
    else if (s.stereo_separation < 0)
        separationNote = "below 0: plays as 0 (mono)";
    std::string playtimeNote = s.default_playtime == 0 ? "no limit" : "";
    if (s.default_playtime < 0) playtimeNote = "below 0: songs stop as they start unless their player signals the end";
    std::string interpolationNote;
    if (const std::optional<int> raw = storedValue(stored, "interpolation"); raw && (*raw < 0 || *raw > 3))
        interpolationNote = "the file's " + std::to_string(*raw) + " plays as sinc";
    return {
        {"stereo_separation", std::to_string(s.stereo_separation) + "%", separationNote},
        {"surround", onOff(s.surround), switchNote("surround")},
        {"use_songend", onOff(s.use_songend), switchNote("use_songend")},
        {"default_playtime", std::to_string(s.default_playtime) + "s", playtimeNote},
        {"interpolation", interpolationName(s.interpolation), interpolationNote},
        {"scan_lengths", onOff(s.scan_lengths), switchNote("scan_lengths")},
        {"seeking", onOff(s.seeking), switchNote("seeking")},
    };
}

} // namespace varno::cli
