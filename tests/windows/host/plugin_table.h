// The plugin's interface table as the player reads it: 26 words by position.
#pragma once

#include <cstdint>

#include "host_tables.h"

namespace xmphost {

struct Format {
    uint32_t rate;
    uint32_t channels;
    uint32_t reserved;
};

struct PluginTable {
    uint32_t flags;
    const char* name;
    const char* extensions;
    int(XMPHOST_API* about)(void* window);
    int(XMPHOST_API* config)(void* window);
    int(XMPHOST_API* checkFile)(const char* path, void* file);
    uint32_t(XMPHOST_API* getFileInfo)(const char* path, void* file, float** lengths, char** tags);
    uint32_t(XMPHOST_API* open)(const char* path, void* file);
    void(XMPHOST_API* close)();
    void* slot9;
    void(XMPHOST_API* setFormat)(Format* format);
    char*(XMPHOST_API* getTags)();
    void(XMPHOST_API* getInfoText)(char* format, char* length);
    void(XMPHOST_API* getGeneralInfo)(char* text);
    void(XMPHOST_API* getMessage)(char* text);
    double(XMPHOST_API* setPosition)(uint32_t position);
    double(XMPHOST_API* getGranule)();
    void* slot17;
    uint32_t(XMPHOST_API* process)(float* buffer, uint32_t count);
    void* slot19;
    void* slot20;
    uint32_t(XMPHOST_API* getSubSongs)(float* total);
    void* slots22to25[4];
};
static_assert(sizeof(void*) != 4 || sizeof(PluginTable) == 26 * 4, "the player reads 26 words");

using GetInterface = const PluginTable*(XMPHOST_API*)(uint32_t face, GetFunctions getFunctions);

// The plugin's one export: from the library (Windows) or linked in (elsewhere).
// Null with a message on standard error when it cannot be had.
GetInterface loadPlugin(const char* libraryPath);

} // namespace xmphost
