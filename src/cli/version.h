// The version varno reports and writes into the files it renders.
#pragma once

namespace varno::cli {

extern const char* const kVersion; // "0.9.10"

} // namespace varno::cli
