#include "cli/stretch_playback.h"

#include "plugin/plugin_extras.h"

namespace varno::cli {

StretchPlayback::StretchPlayback(const FramePlan& plan) : saved_(pluginSettings) {
    if (plan.playThroughSongEnd) {
        pluginSettings.use_songend = 0;
        pluginSettings.default_playtime = 0;
    }
    setSilenceEndsSong(!plan.silenceIsMusic);
}

StretchPlayback::~StretchPlayback() {
    pluginSettings = saved_;
    setSilenceEndsSong(true);
}

} // namespace varno::cli
