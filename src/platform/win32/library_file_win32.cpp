// The plugin library's own module handle and file name, for its directory (the
// player archive lies beside it) and its dialog resources.
#include "platform/library_file.h"

#include <windows.h>

namespace varno {

namespace {
HMODULE module;
} // namespace

void setLibraryHandle(void* handle) { module = static_cast<HMODULE>(handle); }

void* libraryHandle() { return module; }

std::string libraryFilePath() {
    // At most 511 characters: the last byte stays NUL even when a longer name is cut
    // (older Windows versions leave a cut name unterminated).
    char path[512] = {};
    GetModuleFileNameA(module, path, 511);
    return path;
}

} // namespace varno
