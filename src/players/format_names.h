// Player names as listeners expect to read them: the name shown for a player and
// the short format name reported as the module's type.
#pragma once

namespace varno {

struct FormatNameRow {
    const char* playerName; // key, compared without regard to case
    const char* shownName;  // replaces the shown name when not null
    const char* shortName;  // replaces the short name when not null
};

// The row whose key equals the name (ignoring case), or null.
const FormatNameRow* findFormatName(const char* playerName);

// Applies the matching row to a shown name (32 bytes) and a short name (8 bytes).
void applyFormatName(char (&formatTitle)[32], char (&formatTag)[8]);

} // namespace varno
