// Where the plugin keeps what it learned about files from one run to the next.
#pragma once

#include <string>

namespace varno {

// The folder of the length cache: on Linux the user's cache folder
// ($XDG_CACHE_HOME/varno, else ~/.cache/varno); on Windows the plugin's own
// folder, where the music player keeps its settings file beside its plugins.
// Empty when there is no such place.
std::string cacheFolder(const char* pluginDirectory);

} // namespace varno
