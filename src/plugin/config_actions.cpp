// The configuration dialog's effect on the settings and the song playing.
#include "plugin/config_actions.h"

#include <cstdio>
#include <sstream>

#include "machine/amiga_machine.h"
#include "machine/settings.h"
#include "session/song.h"
#include "plugin/plugin_instance.h"
#include "plugin/xmpin.h"
#include "plugin/settings_store.h"

namespace varno {

std::string separationLabel(int percent) {
    char text[16];
    std::snprintf(text, sizeof text, "%i%%", percent);
    return text;
}

void applySeparation(PluginInstance* instance, int percent) {
    pluginSettings.stereo_separation = percent;
    if (instance && instance->song) instance->song->updatePan(pluginSettings);
}

void applySurround(PluginInstance* instance, bool on) {
    pluginSettings.surround = on ? 1 : 0;
    if (instance && instance->song) instance->song->updatePan(pluginSettings);
}

void applyInterpolation(int index) { pluginSettings.interpolation = index; }

void confirmConfig(const ConfigDialogValues& values) {
    pluginSettings.default_playtime = int32_t(values.playtime);
    pluginSettings.use_songend = values.useSongend ? 1 : 0;
    pluginSettings.surround = values.surround ? 1 : 0;
    pluginSettings.stereo_separation = values.separation;
    pluginSettings.interpolation = values.interpolation;
    pluginSettings.scan_lengths = values.scanLengths ? 1 : 0;
    pluginSettings.seeking = values.seeking ? 1 : 0;
    saveSettings();
}

std::string aboutLine(const char* buildDate) {
    // The compiler pads a one-digit day with a blank; the box shows single blanks.
    std::istringstream words(buildDate ? buildDate : "");
    std::string month, day, year;
    words >> month >> day >> year;
    return std::string(kPluginTitle) + " (" + month + " " + day + " " + year + ")";
}

} // namespace varno
