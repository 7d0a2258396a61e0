// The plugin's export: loaded from XMP-VARNO.dll on Windows, linked in on Linux
// (where the plugin is a static library of the same sources).
#include <cstdio>

#include "plugin_table.h"

#ifdef _WIN32
#include <windows.h>
#else
extern "C" const xmphost::PluginTable* XMPIN_GetInterface(uint32_t face, xmphost::GetFunctions getFunctions);
#endif

namespace xmphost {

GetInterface loadPlugin([[maybe_unused]] const char* libraryPath) {
#ifdef _WIN32
    HMODULE library = LoadLibraryA(libraryPath);
    if (!library) {
        std::fprintf(stderr, "FAIL: LoadLibrary(%s) failed with error %lu\n", libraryPath, GetLastError());
        return nullptr;
    }
    auto entry = reinterpret_cast<GetInterface>(reinterpret_cast<void*>(GetProcAddress(library, "XMPIN_GetInterface")));
    if (!entry) std::fprintf(stderr, "FAIL: %s exports no XMPIN_GetInterface\n", libraryPath);
    return entry;
#else
    return &XMPIN_GetInterface;
#endif
}

} // namespace xmphost
