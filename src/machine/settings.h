// The plugin's five settings. One process-wide record: the dialog writes it, the
// render loop and the frame driver read it.
#pragma once

#include <cstdint>

namespace varno {

struct PluginSettings {
    int32_t stereo_separation = 75; // percent
    int32_t surround = 1;
    int32_t use_songend = 1;
    int32_t default_playtime = 180; // seconds, 0 = no limit
    int32_t interpolation = 0;      // 0 None, 1 Sinc, 2 Amiga 500, 3 Amiga 1200
};

extern PluginSettings pluginSettings;

} // namespace varno
