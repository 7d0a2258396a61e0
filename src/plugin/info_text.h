// The texts the host shows about the open module, and the tag lists it is given.
#pragma once

#include <cstdint>
#include <string>

namespace varno {

struct AmigaMachine;
struct Song;

// Adds a name/value pair to a tag list built with the host's memory functions;
// the value passes the host's text conversion. used grows by the pair's size.
void appendTag(AmigaMachine& machine, const char* name, const char* value, char*& list, uint32_t& used);

// "title", "artist" and "filetype" of the open module as "name\0value\0" pairs
// in the module's own text (empty values left out), as the length cache keeps them.
std::string moduleTagPairs(const Song& song);
// A tag list of such pairs; null when there are none.
char* buildTagList(AmigaMachine& machine, const std::string& pairs);
// The open module's tags as a list; null when it names none.
char* buildTags(AmigaMachine& machine, const Song& song);
// A list with the one pair "filetype"; null for an empty name.
char* buildFileTypeTag(AmigaMachine& machine, const char* formatTag);

} // namespace varno
