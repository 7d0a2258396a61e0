// The plugin's settings as the command line names and writes them.
#pragma once

#include <string>
#include <vector>

#include "machine/settings.h"

namespace varno::cli {

// "key=value" into the record: stereo_separation 0-100, surround on|off,
// use_songend on|off, default_playtime seconds (0 = no limit), interpolation
// none|sinc, scan_lengths on|off, seeking on|off. False with the reason in words.
bool applySetting(const std::string& assignment, PluginSettings& settings, std::string& error);

// Parsers shared with the command line's options; false for a value out of range.
bool parseSwitch(const std::string& text, int& value);        // on|off|1|0
bool parseInterpolation(const std::string& text, int& value); // none|sinc|0|1

struct SettingDescription {
    std::string key;
    std::string value;
};
std::vector<SettingDescription> describeSettings(const PluginSettings& settings);

} // namespace varno::cli
