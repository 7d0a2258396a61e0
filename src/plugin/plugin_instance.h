// The plugin's process-wide objects: the one instance, the lock every entry that
// touches the machine holds, and the path of the module that is open.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/host_tables.h"
#include "plugin/length_cache.h"
#include "plugin/length_scan.h"
#include "platform/mutex.h"

namespace varno {

struct AmigaMachine;
struct Song;

struct PluginInstance {
    const HostTables* host = nullptr;
    AmigaMachine* machine = nullptr;
    Song* song = nullptr;  // the song record the machine plays; there whenever the machine is
    void* instance = nullptr; // the library's module handle, for dialog resources
    char directory[256] = {};
    uint8_t singleSubsong = 0;
    // Lengths found by earlier scans, kept between runs; null when not kept.
    std::unique_ptr<LengthCache> lengthCache;
    // The player archive's size and MD5, part of every cache key: read once.
    std::string archivePrint;
    // The bytes of the module that is open, for its cache key.
    Md5Digest openModuleDigest{};
    // The second machine that measures files before they are played.
    LengthScanner scanner;
};

// Null until the host asked for the interface.
PluginInstance* pluginInstance();

// The plugin's sink for its machines' faults: shown as the plugin shows errors
// (a message box on Windows, a line on standard error elsewhere).
void showMachineFault(const std::string& text);

// Taken first by every entry that uses the playing machine; emulated code then
// takes that machine's run lock inside. A length scan takes the scanner's lock instead.
Mutex& pluginMutex();

// Destroys the machine, its song record and the instance (library unload).
void detachPlugin();

// The folder part of the library path, with its separator, into a 256-byte
// field. False when it does not fit: such a folder is refused, not cut, since a
// cut path would name a different folder. No separator gives an empty folder.
bool pluginDirectoryOf(const char* libraryPath, char (&directory)[256]);

} // namespace varno
