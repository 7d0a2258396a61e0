// Names from players made into host paths.
#include "amigaos/dos_paths.h"

#include <cstring>
#include <string_view>

#include "amigaos/text.h"

namespace varno {

namespace {

constexpr std::string_view kEagleplayerEnvironment = "env:eagleplayer";
constexpr std::string_view kEnvironmentArchive = "xmp-varno.env|";

bool isSeparator(char c) { return c == '/' || c == '\\'; }

void replaceAll(char* from, char what, char with) {
    for (char* c = from; *c; ++c)
        if (*c == what) *c = with;
}

} // namespace

bool joinPath(char (&out)[kDosPathSize], const char* directory, const char* name) {
    const size_t first = std::strlen(directory);
    const size_t second = std::strlen(name);
    if (first + second >= kDosPathSize) {
        out[0] = 0;
        return false;
    }
    std::memmove(out, directory, first);
    std::memmove(out + first, name, second + 1);
    return true;
}

bool mapEagleplayerEnvironment(char (&path)[kDosPathSize], const char* pluginDirectory) {
    const std::string_view whole(path);
    const size_t prefix = kEagleplayerEnvironment.size();
    // Only the directory itself: "env:eagleplayer2/x" is another one.
    if (whole.size() < prefix || !equalsIgnoringCase(whole.substr(0, prefix), kEagleplayerEnvironment) ||
        (whole.size() > prefix && !isSeparator(whole[prefix])))
        return true;
    const char* entry = whole.size() > prefix ? path + prefix + 1 : "";

    char archive[kDosPathSize];
    char mapped[kDosPathSize];
    if (!joinPath(archive, pluginDirectory ? pluginDirectory : "", kEnvironmentArchive.data()) ||
        !joinPath(mapped, archive, entry)) {
        path[0] = 0;
        return false;
    }
    std::memcpy(path, mapped, kDosPathSize);
    return true;
}

void convertSeparators(char* path) {
    const std::string_view whole(path);
    const bool network = whole.find("http://") != whole.npos || whole.find("ftp://") != whole.npos;
    if (network)
        replaceAll(path, '\\', '/');
    else
        replaceAll(path, '/', '\\');
    if (char* bar = std::strchr(path, '|')) replaceAll(bar + 1, '/', '\\');
}

} // namespace varno
