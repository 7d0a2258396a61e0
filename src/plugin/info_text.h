// The texts the host shows about the open module, and the tag lists it is given.
#pragma once

#include <cstdint>

namespace varno {

struct AmigaMachine;

// Adds a name/value pair to a tag list built with the host's memory functions;
// the value passes the host's text conversion. used grows by the pair's size.
void appendTag(AmigaMachine& machine, const char* name, const char* value, char*& list, uint32_t& used);

// "title" and "filetype" of the open module; null when both are empty.
char* buildTags(AmigaMachine& machine);
// A list with the one pair "filetype"; null for an empty name.
char* buildFileTypeTag(AmigaMachine& machine, const char* formatTag);

} // namespace varno
