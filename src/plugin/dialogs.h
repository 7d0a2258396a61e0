// The plugin's two modal dialogs. Each returns the dialog's result (0).
#pragma once

namespace varno {

struct PluginInstance;

// The configuration dialog: edits the settings, acting at once on the sound, and
// stores them when it closes.
int showConfigDialog(void* parentWindow, PluginInstance* instance);
// The About box: name, revision and build date.
int showAboutDialog(void* parentWindow);

} // namespace varno
