// Small pieces of JSON for varno info --json.
#pragma once

#include <string>

namespace varno::cli {

// A JSON string literal: quotes, backslashes and control characters escaped;
// bytes that are not UTF-8 become U+FFFD, so the output is always valid JSON.
std::string jsonString(const std::string& text);

} // namespace varno::cli
