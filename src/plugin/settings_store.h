// The five settings in the host's settings store, section "VARNO".
#pragma once

namespace varno {

// Reads the five keys (a missing key keeps its value), then folds them: the
// switches become 0 or 1, a separation above 100 becomes 0.
void loadSettings();
// Writes the five keys; a separation above 100 then becomes 0 in memory.
void saveSettings();

constexpr const char* kSettingsSection = "VARNO";

} // namespace varno
