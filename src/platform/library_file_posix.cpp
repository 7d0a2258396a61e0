// The library's own path through the dynamic loader. Code linked into the
// program itself reports the program, whose loader name is empty.
#include "platform/library_file.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

namespace varno {

namespace {
void* moduleHandle = nullptr;
} // namespace

void setLibraryHandle(void* module) { moduleHandle = module; }
void* libraryHandle() { return moduleHandle; }

std::string libraryFilePath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&libraryFilePath), &info) != 0 && info.dli_fname && info.dli_fname[0] == '/')
        return info.dli_fname;
    // In the main program the loader knows only argv[0]; the kernel knows better.
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return {};
    return std::string(path, size_t(n));
}

} // namespace varno
