// The XDG base directory rules: a relative $XDG_CACHE_HOME is ignored.
#include "platform/cache_folder.h"

#include <cstdlib>

namespace varno {

std::string cacheFolder(const char*) {
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && xdg[0] == '/') return std::string(xdg) + "/varno";
    if (const char* home = std::getenv("HOME"); home && home[0] == '/') return std::string(home) + "/.cache/varno";
    return {};
}

} // namespace varno
