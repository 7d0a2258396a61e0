// The command line is the plugin's host: it hands the plugin the portable host's
// function tables and calls the interface table's entries as a music player does.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "plugin/xmpin.h"

namespace varno::cli {

// Settings given on the command line for one run; unset fields come from the file.
struct SettingOverrides {
    int separation = -1;
    int surround = -1;
    int songEnd = -1;
    int playTime = -1;
    int interpolation = -1;
    int seeking = -1;
};

// Starts the plugin. playersArchive, when not empty, stands in for the
// xmp-varno.dat beside the program. Null, after an error line, when the plugin
// cannot start or (when players are needed) there is no player archive.
const XmpInterface* startPlugin(const std::string& playersArchive, const SettingOverrides& overrides,
                                bool needPlayers = true);

// Unloads the plugin (its machine) at the end of the run.
void stopPlugin();

// The file currently worked on, for the lines of errors and player faults.
void setCurrentFile(const std::string& path);

// Prints "varno: <file>: <cause>" (or "varno: <cause>" with no file) to standard error.
void reportError(const std::string& file, const std::string& cause);

// A host file, closed at the end of its scope.
class HostFileHandle {
public:
    HostFileHandle() = default;
    ~HostFileHandle();
    HostFileHandle(const HostFileHandle&) = delete;
    HostFileHandle& operator=(const HostFileHandle&) = delete;
    HostFile get() const { return file_; }

    // Opens a path (or "archive|entry") through the host; on failure returns
    // false with the cause in words.
    bool open(const std::string& path, std::string& cause);

private:
    HostFile file_ = nullptr;
};

} // namespace varno::cli
