// The test host's function tables: what XMPlay hands an input plugin, served from
// files, a ZIP reader ("archive|entry"), and a settings file. The tables are plain
// arrays of function pointers read by position, as the player reads them.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#if defined(_WIN32) && !defined(_WIN64)
#define XMPHOST_API __stdcall
#else
#define XMPHOST_API
#endif

namespace xmphost {

// The player's table lookup: table number -> table.
using GetFunctions = void*(XMPHOST_API*)(uint32_t table);
GetFunctions getFunctions();

// The settings store, kept in a text file of "section/key=value" lines that is
// rewritten on every change.
void useSettingsFile(const std::string& path);
std::map<std::string, int>& settings();
// The keys the plugin wrote, in order.
std::vector<std::string>& writtenKeys();

// Every length the plugin reports through the track-length call.
std::vector<float>& reportedLengths();

// Host calls the test host does not serve. Any of them ends the run.
int unexpectedCalls();

// A host file handle for a path, as the player opens the file it passes the plugin.
void* openFile(const char* path);
void closeFile(void* file);
void releaseBlock(void* block);

} // namespace xmphost
