// Without a windowing system there is nothing to show: the command line's
// "settings" command edits the settings instead.
#include "plugin/dialogs.h"

namespace varno {

int showConfigDialog(void*, PluginInstance*) { return 0; }
int showAboutDialog(void*) { return 0; }

} // namespace varno
