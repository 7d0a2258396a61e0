// varno settings: shows the plugin's settings, or stores new values the way
// the configuration dialog does when it closes.
#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "cli/settings_values.h"
#include "host/portable_host.h"
#include "machine/settings.h"
#include "plugin/settings_store.h"

namespace varno::cli {

int runSettings(const std::vector<std::string>& assignments) {
    // Settings need no players: the plugin starts without looking for them.
    if (!startPlugin("", {}, false)) return 1;
    PluginSettings wanted = pluginSettings;
    for (const std::string& a : assignments) {
        std::string error;
        if (!applySetting(a, wanted, error)) {
            reportError("", error);
            stopPlugin();
            return 1;
        }
    }
    if (!assignments.empty()) {
        pluginSettings = wanted;
        saveSettings();
    }
    std::printf("%s\n", PortableHost::instance().settingsFile().c_str());
    for (const SettingDescription& d : describeSettings(pluginSettings))
        std::printf("  %-18s %s\n", d.key.c_str(), d.value.c_str());
    stopPlugin();
    return 0;
}

} // namespace varno::cli
