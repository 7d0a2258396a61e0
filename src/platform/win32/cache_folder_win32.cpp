// The plugin's folder holds XMPlay's settings file in the usual set-up; the cache
// lies beside it. A folder that cannot be written just means no cache.
#include "platform/cache_folder.h"

namespace varno {

std::string cacheFolder(const char* pluginDirectory) { return pluginDirectory ? pluginDirectory : ""; }

} // namespace varno
