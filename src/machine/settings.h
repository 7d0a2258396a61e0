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
    int32_t interpolation = 0;      // 0 None, 1 Sinc
    // Beyond the music player's five: lengths of files not yet played are found
    // by playing them through silently, and the song can be sought.
    int32_t scan_lengths = 1;
    int32_t seeking = 1;
};

extern PluginSettings pluginSettings;

} // namespace varno
