// What the plugin says about the module that is open, gathered once from its
// entries (format text, general information, tags, subsong lengths) for info,
// info --json, the tags of rendered files and the player's status line.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "cli/audio_writer.h"
#include "plugin/xmpin.h"

namespace varno::cli {

struct ModuleFacts {
    std::string formatText;  // "ProTracker - 4ch"
    // The information window's lines in order ("Format", "Player", "Creator",
    // "Channels", "Subsongs", ...), subsong list lines excluded.
    std::vector<std::pair<std::string, std::string>> general;
    std::vector<std::pair<std::string, std::string>> tags; // "title", "filetype", "artist", ...
    std::vector<float> subsongSeconds; // 0 = unknown

    // The value of a general line or a tag; empty when absent.
    std::string generalValue(const std::string& label) const;
    std::string tag(const std::string& name) const;
    // The tags but those whose value a general line shows already (the author
    // as "artist", the song's message as "comment"): what a text adds to them.
    std::vector<std::pair<std::string, std::string>> tagsBeyondGeneral() const;
};

// path and file are the open module's. Lengths are those known so far.
ModuleFacts gatherFacts(const XmpInterface& plugin, const std::string& path, HostFile file);

// "Label\tvalue\r" lines of the general information text; lines that start with a
// tab continue the previous label's value.
std::vector<std::pair<std::string, std::string>> parseGeneralInfo(const char* text);

// The tags of a rendered file of subsong k (counted from 0): the title, the
// author when the player named one, the subsong as track number, the song's
// message and then format and player as comment, and varno with its version as
// the encoder.
AudioTags tagsFor(const ModuleFacts& facts, uint32_t subsong);

// The facts but the lengths as one text for the length cache, and back; false
// for a text that is not such a packing.
std::string packFacts(const ModuleFacts& facts);
bool unpackFacts(const std::string& text, ModuleFacts& facts);

// A tag list: pairs of NUL-terminated texts ending in an empty name.
std::vector<std::pair<std::string, std::string>> parseTags(const char* tags);

} // namespace varno::cli
