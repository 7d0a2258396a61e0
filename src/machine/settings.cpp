// The process-wide settings record, with its defaults.
#include "machine/settings.h"

namespace varno {

PluginSettings pluginSettings;

} // namespace varno
