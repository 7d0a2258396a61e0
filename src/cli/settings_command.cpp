// varno settings: shows the plugin's settings, or stores new values the way
// the configuration dialog does when it closes.
#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "cli/settings_values.h"
#include "host/portable_host.h"
#include "host/settings_file.h"
#include "machine/settings.h"
#include "plugin/settings_store.h"

namespace varno::cli {

namespace {

constexpr const char* kKeys[] = {"stereo_separation", "surround",     "use_songend", "default_playtime",
                                 "interpolation",     "scan_lengths", "seeking"};

// The file's own values, before the plugin folded them.
std::vector<std::pair<std::string, int>> storedValues() {
    std::vector<std::pair<std::string, int>> stored;
    const SettingsFile file(PortableHost::instance().settingsFile());
    for (const char* key : kKeys)
        if (const std::optional<int> v = file.getInt(kSettingsSection, key)) stored.emplace_back(key, *v);
    return stored;
}

} // namespace

int runSettings(const std::vector<std::string>& assignments) {
    // Settings need no players: the plugin starts without looking for them.
    if (!startPlugin("", {}, false)) return 1;
    PortableHost& host = PortableHost::instance();
    PluginSettings wanted = pluginSettings;
    for (const std::string& a : assignments) {
        std::string error;
        if (!applySetting(a, wanted, error)) {
            std::fprintf(stderr, "varno settings: %s (see varno settings --help)\n", error.c_str());
            stopPlugin();
            return 2;
        }
    }
    if (!assignments.empty()) {
        pluginSettings = wanted;
        host.settingsWriteFailures = 0;
        saveSettings();
        if (host.settingsWriteFailures) {
            reportError(host.settingsFile(), "cannot be written: the settings were not saved");
            stopPlugin();
            return 1;
        }
    }
    std::printf("%s\n", host.settingsFile().c_str());
    for (const SettingDescription& d : describeSettings(pluginSettings, storedValues())) {
        if (d.note.empty())
            std::printf("  %-18s %s\n", d.key.c_str(), d.value.c_str());
        else
            std::printf("  %-18s %-8s (%s)\n", d.key.c_str(), d.value.c_str(), d.note.c_str());
    }
    stopPlugin();
    return 0;
}

} // namespace varno::cli
