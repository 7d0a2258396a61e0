// The plugin's settings as the command line names, shows and takes them: one
// notation both ways ("75%", "180s", "on", "sinc"); a percentage or a time may
// also be a plain number, a switch or an interpolation only its name.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "machine/settings.h"

namespace varno::cli {

// "key=value" into the record: stereo_separation 0-100 (with or without %),
// surround on|off, use_songend on|off, default_playtime seconds (180, 180s or
// 3:00; 0 = no limit), interpolation none|sinc|a500|a1200, scan_lengths on|off,
// seeking on|off. False with the reason in words.
bool applySetting(const std::string& assignment, PluginSettings& settings, std::string& error);

// Parsers shared with the command line's options; false for a value out of range.
bool parseSwitch(const std::string& text, int& value);        // on|off
bool parseInterpolation(const std::string& text, int& value); // none|sinc|a500|a1200
bool parseSeconds(const std::string& text, int& value);       // 180, 180s, 3:00
// The name of an interpolation value; values outside 0-3 play as, and are named, sinc.
std::string interpolationName(int value);
inline const char* const kInterpolationChoices = "none, sinc, a500 or a1200";

struct SettingDescription {
    std::string key;
    std::string value; // in the notation applySetting takes
    std::string note;  // what the value means, or how the file's value was read
};
// stored: the settings file's raw value of each key, by key, when present.
std::vector<SettingDescription> describeSettings(const PluginSettings& settings,
                                                 const std::vector<std::pair<std::string, int>>& stored = {});

} // namespace varno::cli
