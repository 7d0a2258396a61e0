// varno info: what the music player's information window shows about a module,
// its tags, and its subsongs with their lengths.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cli/commands.h"
#include "cli/progress.h"
#include "host/portable_host.h"
#include "plugin/plugin_extras.h"

namespace varno::cli {

namespace {

// The plugin writes these texts without a bound of its own, as into the music
// player's buffers; these are as large as any text it makes.
char formatText[256];
char generalText[0x8000];

// "Label\tvalue\r" lines as aligned columns; lines that start with a tab
// continue the previous label.
void printGeneralInfo(const char* text) {
    std::string line;
    for (const char* p = text;; ++p) {
        if (*p == '\r' || *p == 0) {
            if (!line.empty()) {
                const size_t tab = line.find('\t');
                const std::string label = tab == std::string::npos ? line : line.substr(0, tab);
                const std::string value = tab == std::string::npos ? "" : line.substr(tab + 1);
                std::printf("  %-12s%s\n", label.c_str(), value.c_str());
            }
            line.clear();
            if (*p == 0) break;
        } else {
            line += *p;
        }
    }
}

void printTags(const char* tags) {
    for (const char* p = tags; p && *p;) {
        const char* name = p;
        const char* value = p + std::strlen(p) + 1;
        const std::string label = std::string(name) == "filetype" ? "File type" : std::string(name) == "title" ? "Title" : name;
        std::printf("  %-12s%s\n", label.c_str(), value);
        p = value + std::strlen(value) + 1;
    }
}

std::string lengthText(float seconds) {
    if (seconds <= 0) return "length unknown";
    char text[32];
    std::snprintf(text, sizeof text, "%s.%03d", minutesSeconds(seconds).c_str(),
                  int((seconds - float(long(seconds))) * 1000));
    return text;
}

bool describe(const XmpInterface& plugin, const std::string& path, bool lengths) {
    HostFileHandle file;
    std::string cause;
    if (!file.open(path, cause)) {
        reportError(path, cause);
        return false;
    }
    if (!plugin.checkFile(path.c_str(), file.get())) {
        reportError(path, "no player recognises this file");
        return false;
    }
    if (plugin.open(path.c_str(), file.get()) == 0) {
        reportError(path, "the player could not set up this module");
        return false;
    }
    if (lengths) scanSubsongLengths();

    std::printf("%s\n", path.c_str());
    formatText[0] = 0;
    plugin.getInfoText(formatText, nullptr);
    std::printf("  %-12s%s\n", "Format text", formatText);
    plugin.getGeneralInfo(generalText);
    printGeneralInfo(generalText);
    char* tags = plugin.getTags();
    printTags(tags);
    PortableHost::instance().tables().memoryFunctions->release(tags);

    float* seconds = nullptr;
    const uint32_t result = plugin.getFileInfo(path.c_str(), file.get(), &seconds, nullptr);
    const uint32_t count = result & 0xFFFF;
    for (uint32_t k = 0; k < count; ++k)
        std::printf("  %-12s%s\n", ("Subsong " + std::to_string(k + 1)).c_str(),
                    lengthText(seconds ? seconds[k] : 0).c_str());
    PortableHost::instance().tables().memoryFunctions->release(seconds);
    plugin.close();
    return true;
}

} // namespace

int runInfo(const InfoOptions& options, const std::string& players, const SettingOverrides& settings) {
    const XmpInterface* plugin = startPlugin(players, settings);
    if (!plugin) return 1;
    int failures = 0;
    for (size_t i = 0; i < options.files.size(); ++i) {
        if (i) std::printf("\n");
        setCurrentFile(options.files[i]);
        if (!describe(*plugin, options.files[i], options.lengths)) ++failures;
    }
    stopPlugin();
    return failures ? 1 : 0;
}

} // namespace varno::cli
