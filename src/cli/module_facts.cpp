#include "cli/module_facts.h"

#include <cstring>

#include "cli/version.h"
#include "host/portable_host.h"

namespace varno::cli {

namespace {

// The plugin writes these texts without a bound of its own, as into the music
// player's buffers; these are as large as any text it makes.
char formatBuffer[256];
char generalBuffer[0x8000];

} // namespace

std::vector<std::pair<std::string, std::string>> parseGeneralInfo(const char* text) {
    std::vector<std::pair<std::string, std::string>> lines;
    std::string line;
    for (const char* p = text;; ++p) {
        if (*p == '\r' || *p == 0) {
            if (!line.empty()) {
                const size_t tab = line.find('\t');
                std::string label = tab == std::string::npos ? line : line.substr(0, tab);
                std::string value = tab == std::string::npos ? "" : line.substr(tab + 1);
                if (label.empty() && !lines.empty())
                    lines.back().second += (lines.back().second.empty() ? "" : "\n") + value;
                else
                    lines.emplace_back(std::move(label), std::move(value));
            }
            line.clear();
            if (*p == 0) break;
        } else {
            line += *p;
        }
    }
    return lines;
}

std::vector<std::pair<std::string, std::string>> parseTags(const char* tags) {
    std::vector<std::pair<std::string, std::string>> list;
    for (const char* p = tags; p && *p;) {
        const char* value = p + std::strlen(p) + 1;
        list.emplace_back(p, value);
        p = value + std::strlen(value) + 1;
    }
    return list;
}

std::string ModuleFacts::generalValue(const std::string& label) const {
    for (const auto& [l, v] : general)
        if (l == label) return v;
    return {};
}

std::string ModuleFacts::tag(const std::string& name) const {
    for (const auto& [n, v] : tags)
        if (n == name) return v;
    return {};
}

std::vector<std::pair<std::string, std::string>> ModuleFacts::tagsBeyondGeneral() const {
    std::vector<std::pair<std::string, std::string>> beyond;
    for (const auto& [name, value] : tags) {
        const char* label = name == "artist" ? "Author" : name == "comment" ? "Comment" : nullptr;
        if (!label || generalValue(label) != value) beyond.emplace_back(name, value);
    }
    return beyond;
}

ModuleFacts gatherFacts(const XmpInterface& plugin, const std::string& path, HostFile file) {
    ModuleFacts facts;
    const HostMemoryFunctions& memory = *PortableHost::instance().tables().memoryFunctions;
    formatBuffer[0] = 0;
    plugin.getInfoText(formatBuffer, nullptr);
    facts.formatText = formatBuffer;
    generalBuffer[0] = 0;
    plugin.getGeneralInfo(generalBuffer);
    facts.general = parseGeneralInfo(generalBuffer);
    // The subsong list belongs to the lengths below.
    std::erase_if(facts.general, [](const auto& line) { return line.first == "Songs"; });
    char* tags = plugin.getTags();
    facts.tags = parseTags(tags);
    memory.release(tags);
    float* seconds = nullptr;
    const uint32_t count = plugin.getFileInfo(path.c_str(), file, &seconds, nullptr) & 0xFFFF;
    for (uint32_t k = 0; k < count; ++k) facts.subsongSeconds.push_back(seconds ? seconds[k] : 0.0f);
    memory.release(seconds);
    return facts;
}

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

// Every text ends in a NUL; a list starts with its length.
void packPairs(std::string& out, const Pairs& pairs) {
    out.append(std::to_string(pairs.size())).push_back(0);
    for (const auto& [name, value] : pairs) out.append(name).append(1, '\0').append(value).push_back(0);
}

bool nextText(const std::string& text, size_t& at, std::string& out) {
    const size_t end = text.find('\0', at);
    if (end == std::string::npos) return false;
    out = text.substr(at, end - at);
    at = end + 1;
    return true;
}

bool unpackPairs(const std::string& text, size_t& at, Pairs& pairs) {
    std::string count;
    if (!nextText(text, at, count) || count.empty() || count.size() > 4 ||
        count.find_first_not_of("0123456789") != std::string::npos)
        return false;
    pairs.resize(std::stoul(count));
    for (auto& [name, value] : pairs)
        if (!nextText(text, at, name) || !nextText(text, at, value)) return false;
    return true;
}

} // namespace

std::string packFacts(const ModuleFacts& facts) {
    std::string out = facts.formatText;
    out.push_back(0);
    packPairs(out, facts.general);
    packPairs(out, facts.tags);
    return out;
}

bool unpackFacts(const std::string& text, ModuleFacts& facts) {
    size_t at = 0;
    return nextText(text, at, facts.formatText) && unpackPairs(text, at, facts.general) &&
           unpackPairs(text, at, facts.tags) && at == text.size();
}

AudioTags tagsFor(const ModuleFacts& facts, uint32_t subsong) {
    AudioTags tags;
    tags.title = facts.tag("title");
    tags.artist = facts.tag("artist");
    tags.trackNumber = std::to_string(subsong + 1);
    const std::string player = facts.generalValue("Player");
    const std::string format = facts.formatText + (player.empty() ? "" : ", played by " + player);
    // The song's own message comes first; what plays it follows on a line of its own.
    const std::string message = facts.tag("comment");
    tags.comment = message.empty() ? format : message + "\n" + format;
    tags.software = std::string("varno ") + kVersion;
    return tags;
}

} // namespace varno::cli
