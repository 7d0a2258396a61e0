// The host player's function tables, as the plugin receives them. Members are laid
// out by position because the host reads and fills them by position; unnamed slots
// are functions the plugin never calls.
#pragma once

#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define VARNO_HOSTAPI __stdcall
#else
#define VARNO_HOSTAPI
#endif

namespace varno {

struct HostFileObject;
using HostFile = HostFileObject*; // 0 means "no file"

using HostUnused = void*;

struct HostMemoryFunctions {
    HostUnused slot0;
    HostUnused slot1;
    void*(VARNO_HOSTAPI* allocate)(uint32_t bytes);
    void*(VARNO_HOSTAPI* reallocate)(void* block, uint32_t bytes);
    void(VARNO_HOSTAPI* release)(void* block);
};

struct HostSettingsFunctions {
    HostUnused slot0;
    HostUnused slot1;
    int(VARNO_HOSTAPI* getInt)(const char* section, const char* key, int* value);
    HostUnused slot3;
    HostUnused slot4;
    int(VARNO_HOSTAPI* setInt)(const char* section, const char* key, const int* value);
};

struct HostFileFunctions {
    HostFile(VARNO_HOSTAPI* open)(const char* path); // "archive|entry" opens an entry
    HostUnused slot1;
    void(VARNO_HOSTAPI* close)(HostFile file);
    HostUnused slot3;
    uint32_t(VARNO_HOSTAPI* size)(HostFile file);
    HostUnused slot5;
    HostUnused slot6;
    uint32_t(VARNO_HOSTAPI* read)(HostFile file, void* buffer, uint32_t bytes);
    int(VARNO_HOSTAPI* seek)(HostFile file, uint32_t position);
    uint32_t(VARNO_HOSTAPI* tell)(HostFile file);
    HostUnused slot10;
    HostUnused slot11;
    HostUnused slot12;
    HostUnused slot13;
    // NUL-terminated names ended by an empty name, or null. Released by the host.
    char*(VARNO_HOSTAPI* listEntries)(HostFile archive);
    HostFile(VARNO_HOSTAPI* openEntry)(HostFile archive, const char* entry, uint32_t length);
};

struct HostTextFunctions {
    // Converts a NUL-terminated text (length -1); the result is released with
    // HostMemoryFunctions::release.
    char*(VARNO_HOSTAPI* convert)(const char* text, int length);
};

struct HostInputFunctions {
    void(VARNO_HOSTAPI* setLength)(float seconds, int flags);
};

struct HostTables {
    const HostMemoryFunctions* memoryFunctions = nullptr;     // table 0
    const HostSettingsFunctions* settingsFunctions = nullptr; // table 1
    const HostFileFunctions* fileFunctions = nullptr;         // table 2
    const HostTextFunctions* textFunctions = nullptr;         // table 3
    const void* statusFunctions = nullptr;                    // table 4, kept only
    const HostInputFunctions* inputFunctions = nullptr;       // table 11
};

} // namespace varno
