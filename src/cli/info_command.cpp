// varno info: what the music player's information window shows about a module,
// its tags, and its subsongs with their lengths; with --json the same for scripts,
// with the file's size and MD5. Files measured before are answered from the
// length cache.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/json_text.h"
#include "plugin/md5.h"
#include "cli/module_facts.h"
#include "cli/progress.h"
#include "host/portable_host.h"
#include "plugin/plugin_extras.h"

namespace varno::cli {

namespace {

std::string tagLabel(const std::string& name) {
    if (name == "filetype") return "File type";
    if (name.empty()) return name;
    std::string label = name;
    label[0] = char(std::toupper(static_cast<unsigned char>(label[0])));
    return label;
}

std::string subsongLengthText(float seconds) { return seconds > 0 ? lengthText(seconds) : "length unknown"; }

void printText(const std::string& path, const ModuleFacts& facts) {
    std::printf("%s\n", path.c_str());
    std::printf("  %-12s%s\n", "Format text", facts.formatText.c_str());
    for (const auto& [label, value] : facts.general) {
        // Values of several lines (a creator text) stay in the value column.
        std::string text = value;
        for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
            text.insert(at + 1, 14, ' ');
        std::printf("  %-12s%s\n", label.c_str(), text.c_str());
    }
    for (const auto& [name, value] : facts.tagsBeyondGeneral())
        std::printf("  %-12s%s\n", tagLabel(name).c_str(), value.c_str());
    for (size_t k = 0; k < facts.subsongSeconds.size(); ++k)
        std::printf("  %-12s%s\n", ("Subsong " + std::to_string(k + 1)).c_str(),
                    subsongLengthText(facts.subsongSeconds[k]).c_str());
}

std::string jsonObject(const std::vector<std::pair<std::string, std::string>>& pairs) {
    std::string out = "{";
    for (size_t i = 0; i < pairs.size(); ++i)
        out += (i ? ", " : "") + jsonString(pairs[i].first) + ": " + jsonString(pairs[i].second);
    return out + "}";
}

// The file's bytes as the plugin reads them (an archive entry's, unpacked).
std::vector<uint8_t> fileBytes(HostFile file) {
    const HostFileFunctions& f = *PortableHost::instance().tables().fileFunctions;
    std::vector<uint8_t> bytes(f.size(file));
    f.seek(file, 0);
    bytes.resize(f.read(file, bytes.data(), uint32_t(bytes.size())));
    f.seek(file, 0);
    return bytes;
}

std::string jsonText(const std::string& path, const std::vector<uint8_t>& bytes, const ModuleFacts& facts) {
    std::string out = "  {\"file\": " + jsonString(path) + ", \"size\": " + std::to_string(bytes.size()) +
                      ", \"md5\": \"" + md5Hex(bytes.data(), bytes.size()) + "\",\n";
    out += "   \"format_text\": " + jsonString(facts.formatText) + ",\n";
    out += "   \"info\": " + jsonObject(facts.general) + ",\n";
    out += "   \"tags\": " + jsonObject(facts.tags) + ",\n";
    out += "   \"subsongs\": [";
    for (size_t k = 0; k < facts.subsongSeconds.size(); ++k) {
        char seconds[32] = "null";
        if (const long millis = roundedMillis(facts.subsongSeconds[k]); facts.subsongSeconds[k] > 0)
            std::snprintf(seconds, sizeof seconds, "%ld.%03ld", millis / 1000, millis % 1000);
        out += (k ? ", " : "") + std::string("{\"number\": ") + std::to_string(k + 1) + ", \"seconds\": " + seconds + "}";
    }
    return out + "]}";
}

// The facts of a file measured before, from the length cache.
bool knownFacts(HostFile file, ModuleFacts& facts) {
    std::vector<float> seconds;
    std::string notes;
    if (!knownFileNotes(file, seconds, notes) || !unpackFacts(notes, facts)) return false;
    facts.subsongSeconds = std::move(seconds);
    return true;
}

} // namespace

int runInfo(const InfoOptions& options, const std::string& players, const SettingOverrides& settings) {
    const XmpInterface* plugin = startPlugin(players, settings);
    if (!plugin) return 1;
    if (!options.cache) disableLengthCache();
    // What info prints is kept with the lengths, so that a file measured before
    // is not even opened: opening and the player's set-up are a fifth of the
    // work of an info that measures.
    const bool fromCache = options.cache && options.lengths;
    int failures = 0;
    const std::vector<std::string> files = expandArchives(options.files);
    if (options.json) std::printf("[\n");
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string& path = files[i];
        setCurrentFile(path);
        HostFileHandle file;
        std::string cause;
        ModuleFacts facts;
        const bool known = fromCache && file.open(path, cause) && knownFacts(file.get(), facts);
        const bool opened = known || openModule(*plugin, path, file, cause);
        if (opened && !known) {
            if (options.lengths) scanSubsongLengths();
            facts = gatherFacts(*plugin, path, file.get());
            if (fromCache) keepOpenModuleNotes(packFacts(facts));
        }
        // What render and play --time would give.
        if (options.timeLimit > 0)
            for (float& seconds : facts.subsongSeconds) seconds = std::min(seconds, float(options.timeLimit));
        if (options.json) {
            const std::string entry =
                opened ? jsonText(path, fileBytes(file.get()), facts)
                       : "  {\"file\": " + jsonString(path) + ", \"error\": " + jsonString(cause) + "}";
            std::printf("%s%s\n", entry.c_str(), i + 1 < files.size() ? "," : "");
        } else if (opened) {
            if (i) std::printf("\n");
            printText(path, facts);
        }
        if (!opened) {
            reportError(path, cause);
            ++failures;
        } else if (!known) {
            plugin->close();
        }
    }
    if (options.json) std::printf("]\n");
    stopPlugin();
    return failures ? 1 : 0;
}

} // namespace varno::cli
