#include "resident_memory.h"

#include <cstring>
#include <fstream>
#include <string>

namespace varno::soak {

namespace {

uint64_t statusField(const char* name) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const size_t length = std::strlen(name);
    while (std::getline(status, line))
        if (line.compare(0, length, name) == 0 && line.size() > length && line[length] == ':')
            return std::stoull(line.substr(length + 1));
    return 0;
}

} // namespace

uint64_t peakResidentKiB() { return statusField("VmHWM"); }
uint64_t residentKiB() { return statusField("VmRSS"); }

} // namespace varno::soak
