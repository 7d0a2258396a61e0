// The input-plugin interface of the XMPlay music player: the table of entries the
// plugin hands over, read by the host by position, and the one export.
#pragma once

#include <cstdint>

#include "platform/host_tables.h"

namespace varno {

// What the host passes to setFormat; only the first two fields are read.
struct XmpFormat {
    uint32_t rate;
    uint32_t channels;
    uint32_t resolution;
};

struct XmpInterface {
    uint32_t flags;
    const char* name;
    const char* extensions; // "": modules are recognised by their content
    int(VARNO_HOSTAPI* about)(void* parentWindow);
    int(VARNO_HOSTAPI* config)(void* parentWindow);
    int(VARNO_HOSTAPI* checkFile)(const char* path, HostFile file);
    uint32_t(VARNO_HOSTAPI* getFileInfo)(const char* path, HostFile file, float** lengths, char** tags);
    int(VARNO_HOSTAPI* open)(const char* path, HostFile file);
    void(VARNO_HOSTAPI* close)();
    HostUnused slot9;
    void(VARNO_HOSTAPI* setFormat)(XmpFormat* format);
    char*(VARNO_HOSTAPI* getTags)();
    void(VARNO_HOSTAPI* getInfoText)(char* format, char* length);
    void(VARNO_HOSTAPI* getGeneralInfo)(char* text);
    void(VARNO_HOSTAPI* getMessage)(char* text);
    double(VARNO_HOSTAPI* setPosition)(uint32_t position);
    double(VARNO_HOSTAPI* getGranule)();
    HostUnused slot17;
    uint32_t(VARNO_HOSTAPI* process)(float* buffer, uint32_t count);
    HostUnused slot19;
    HostUnused slot20;
    uint32_t(VARNO_HOSTAPI* getSubSongs)(float* totalSeconds);
    HostUnused slot22;
    HostUnused slot23;
    HostUnused slot24;
    HostUnused slot25;
};

// The host's way to its function tables: table number in, table out.
using GetHostFunctions = const void*(VARNO_HOSTAPI*)(uint32_t table);

constexpr uint32_t kInterfaceVersion = 4;
constexpr const char* kPluginName = "Varno (rev. 9)";
constexpr const char* kPluginTitle = "XMPlay Varno plugin (rev. 9)";

// Position codes of setPosition.
constexpr uint32_t kPositionRestart = 0;
constexpr uint32_t kPositionLoop = 0xFFFFFFFF;        // restart if ended; 1.0
constexpr uint32_t kPositionLoopQuery = 0xFFFFFFFE;   // as above; -1.0 when it restarted
constexpr uint32_t kPositionSubsong = 0x80000000;     // + subsong index in the low 12 bits
constexpr uint32_t kPositionSingleSubsong = 0x40000000;

// Result flag of getFileInfo: the subsong count follows in the low bits.
constexpr uint32_t kFileInfoSubsongs = 0x10000;

} // namespace varno

extern "C" {
#if defined(_WIN32)
__declspec(dllexport)
#else
__attribute__((visibility("default")))
#endif
const varno::XmpInterface* VARNO_HOSTAPI XMPIN_GetInterface(uint32_t face, varno::GetHostFunctions getFunctions);
}
