#include "cli/option_values.h"

#include <cmath>
#include <cstdlib>

namespace varno::cli {

namespace {

std::optional<double> parseDecimal(const std::string& text) {
    if (text.empty() || text.find_first_not_of("+-.0123456789") != std::string::npos) return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

} // namespace

std::optional<double> parseNumberIn(const std::string& text, double low, double high) {
    const std::optional<double> v = parseDecimal(text);
    if (!v || *v < low || *v > high) return std::nullopt;
    return v;
}

std::optional<double> parseTime(const std::string& text) {
    const size_t colon = text.find(':');
    if (colon == std::string::npos) return parseNumberIn(text, 0, 1e7);
    const std::optional<double> minutes = parseNumberIn(text.substr(0, colon), 0, 1e5);
    const std::optional<double> seconds = parseNumberIn(text.substr(colon + 1), 0, 60);
    if (!minutes || !seconds || *minutes != std::floor(*minutes) || *seconds >= 60) return std::nullopt;
    return *minutes * 60 + *seconds;
}

} // namespace varno::cli
