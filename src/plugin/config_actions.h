// What the configuration and About dialogs do, apart from the window system: the
// Windows dialog procedures call these with the values of their controls.
#pragma once

#include <string>

namespace varno {

struct PluginInstance;

// The label beside the separation track bar: the percentage and a percent sign.
std::string separationLabel(int percent);

// A track-bar move: takes effect on the running mixer at once.
void applySeparation(PluginInstance* instance, int percent);
// The surround check box: takes effect on the running mixer at once.
void applySurround(PluginInstance* instance, bool on);
void applyInterpolation(int index);

struct ConfigDialogValues {
    unsigned playtime = 0;
    bool useSongend = false;
    bool surround = false;
    int separation = 0;
    int interpolation = 0;
    bool scanLengths = true;
    bool seeking = true;
};
// Closing the dialog confirms it: all its settings are taken and stored.
void confirmConfig(const ConfigDialogValues& values);

// The About box's first line from a compiler date ("Mmm dd yyyy", the day padded
// with a blank): "XMPlay Varno plugin (rev. 9) (Mmm d yyyy)".
std::string aboutLine(const char* buildDate);

} // namespace varno
