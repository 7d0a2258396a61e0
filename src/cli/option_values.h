// Numbers and times as the command line's options take them, with messages
// that say what was expected.
#pragma once

#include <optional>
#include <string>

namespace varno::cli {

// A decimal number within [low, high]; nothing for anything else ("abc", "5x", "").
std::optional<double> parseNumberIn(const std::string& text, double low, double high);

// Seconds as "90", "90.5", "1:30" or "1:30.5"; nothing when not a time or negative.
std::optional<double> parseTime(const std::string& text);

} // namespace varno::cli
