#include "plugin/settings_store.h"

#include "machine/settings.h"
#include "plugin/plugin_instance.h"

namespace varno {

namespace {

struct SettingKey {
    const char* key;
    int32_t PluginSettings::*field;
};

// The store's order.
constexpr SettingKey kKeys[] = {
    {"default_playtime", &PluginSettings::default_playtime},
    {"use_songend", &PluginSettings::use_songend},
    {"surround", &PluginSettings::surround},
    {"stereo_separation", &PluginSettings::stereo_separation},
    {"interpolation", &PluginSettings::interpolation},
    {"scan_lengths", &PluginSettings::scan_lengths},
    {"seeking", &PluginSettings::seeking},
};

const HostSettingsFunctions* settingsFunctions() {
    const PluginInstance* plugin = pluginInstance();
    return plugin && plugin->host ? plugin->host->settingsFunctions : nullptr;
}

int32_t toSwitch(int32_t v) { return v != 0 ? 1 : 0; }

} // namespace

void loadSettings() {
    PluginSettings& s = pluginSettings;
    if (const HostSettingsFunctions* store = settingsFunctions(); store && store->getInt)
        for (const SettingKey& k : kKeys) {
            int value = s.*k.field;
            store->getInt(kSettingsSection, k.key, &value);
            s.*k.field = value;
        }
    s.surround = toSwitch(s.surround);
    s.use_songend = toSwitch(s.use_songend);
    s.interpolation = toSwitch(s.interpolation);
    s.scan_lengths = toSwitch(s.scan_lengths);
    s.seeking = toSwitch(s.seeking);
    if (s.stereo_separation > 100) s.stereo_separation = 0;
}

void saveSettings() {
    PluginSettings& s = pluginSettings;
    if (const HostSettingsFunctions* store = settingsFunctions(); store && store->setInt)
        for (const SettingKey& k : kKeys) {
            const int value = s.*k.field;
            store->setInt(kSettingsSection, k.key, &value);
        }
    if (s.stereo_separation > 100) s.stereo_separation = 0;
}

} // namespace varno
