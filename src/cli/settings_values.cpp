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

} // namespace

bool parseSwitch(const std::string& text, int& value) {
    if (text == "on" || text == "1") value = 1;
    else if (text == "off" || text == "0") value = 0;
    else return false;
    return true;
}

bool parseInterpolation(const std::string& text, int& value) {
    if (text == "none" || text == "0") value = 0;
    else if (text == "sinc" || text == "1") value = 1;
    else return false;
    return true;
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
        ok = parseNumber(value, 0, 100, s.stereo_separation);
        expected = "a percentage from 0 to 100";
    } else if (key == "surround") {
        ok = parseSwitch(value, s.surround);
        expected = "on or off";
    } else if (key == "use_songend") {
        ok = parseSwitch(value, s.use_songend);
        expected = "on or off";
    } else if (key == "default_playtime") {
        ok = parseNumber(value, 0, 1000000, s.default_playtime);
        expected = "seconds, 0 for no limit";
    } else if (key == "interpolation") {
        ok = parseInterpolation(value, s.interpolation);
        expected = "none or sinc";
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

std::vector<SettingDescription> describeSettings(const PluginSettings& s) {
    const auto onOff = [](int v) { return std::string(v ? "on" : "off"); };
    return {
        {"stereo_separation", std::to_string(s.stereo_separation) + "%"},
        {"surround", onOff(s.surround)},
        {"use_songend", onOff(s.use_songend)},
        {"default_playtime", s.default_playtime ? std::to_string(s.default_playtime) + " s" : "0 (no limit)"},
        {"interpolation", s.interpolation ? "sinc" : "none"},
        {"scan_lengths", onOff(s.scan_lengths)},
        {"seeking", onOff(s.seeking)},
    };
}

} // namespace varno::cli
