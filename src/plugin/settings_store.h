// The settings in the host's settings store, section "VARNO": the five the
// configuration dialog edits, then whether lengths are scanned and songs sought.
#pragma once

namespace varno {

// Reads the keys (a missing key keeps its value), then folds them: the
// switches become 0 or 1, a separation above 100 becomes 0.
void loadSettings();
// Writes the keys; a separation above 100 then becomes 0 in memory.
void saveSettings();

constexpr const char* kSettingsSection = "VARNO";

} // namespace varno
