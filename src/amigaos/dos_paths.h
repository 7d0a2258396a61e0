// How dos.library turns the names players give into host paths: the current
// directory in front, EaglePlayer's configuration directory mapped onto an
// archive next to the plugin, and separators as the host expects them.
#pragma once

#include <cstddef>

namespace varno {

// Every dos path buffer, terminator included.
constexpr size_t kDosPathSize = 512;

// out = directory followed by name (no separator is inserted: a directory ends
// with one). False, with out empty, when the two do not fit.
bool joinPath(char (&out)[kDosPathSize], const char* directory, const char* name);

// "env:eagleplayer/x" (any letter case) becomes "<pluginDirectory>xmp-varno.env|x",
// the entry x of the archive standing for EaglePlayer's configuration
// directory; other paths stay. False, with path empty, when the mapped path
// does not fit.
bool mapEagleplayerEnvironment(char (&path)[kDosPathSize], const char* pluginDirectory);

// Host separators: forward slashes in a network address, backslashes
// elsewhere, and always backslashes in the entry name after the first "|".
void convertSeparators(char* path);

} // namespace varno
