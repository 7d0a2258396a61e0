// The command line is the plugin's host: it hands the plugin the portable host's
// function tables and calls the interface table's entries as a music player does.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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
// xmp-varno.dat found beside the program (see findPlayerArchive). Null, after an
// error line, when the plugin cannot start or (when players are needed) the
// player archive is missing or holds no players.
const XmpInterface* startPlugin(const std::string& playersArchive, const SettingOverrides& overrides,
                                bool needPlayers = true);

// The player archive: beside the program's real file (a symbolic link to the
// program is followed), else in the share folder of the prefix the program is
// installed in (bin/../share/varno), else in the configured install folder.
// Empty, with the places looked at in words, when there is none.
std::string findPlayerArchive(std::string& searched);

// Settings read from the settings file that the plugin folds or takes in a way
// a user may not expect, as warning lines (empty when there are none).
std::vector<std::string> settingsWarnings();

// Unloads the plugin (its machine) at the end of the run.
void stopPlugin();

// The file currently worked on, for the lines of errors and player faults.
void setCurrentFile(const std::string& path);

// Prints "varno: <file>: <cause>" (or "varno: <cause>" with no file) to standard error.
void reportError(const std::string& file, const std::string& cause);

// While a status line is on standard error, error lines clear it first.
void setStatusLineShown(bool shown);

// A host file, closed at the end of its scope.
class HostFileHandle {
public:
    HostFileHandle() = default;
    ~HostFileHandle();
    HostFileHandle(const HostFileHandle&) = delete;
    HostFileHandle& operator=(const HostFileHandle&) = delete;
    HostFile get() const { return file_; }

    // Opens a path (or "archive|entry") through the host; on failure returns
    // false with the cause in words. A file whose name holds a "|" is opened
    // as itself when it exists.
    bool open(const std::string& path, std::string& cause);

private:
    HostFile file_ = nullptr;
};

// The files of a command line with each ZIP archive among them replaced by its
// entries, "archive.zip|entry", in the archive's order: a playlist of files and
// archive entries. Call with the plugin started (it reads through the host).
std::vector<std::string> expandArchives(const std::vector<std::string>& files);

// Opens the file (unless file is open already), checks that a player takes it
// and opens it in the plugin, the way the music player does; false with the
// cause in words.
bool openModule(const XmpInterface& plugin, const std::string& path, HostFileHandle& file, std::string& cause);

} // namespace varno::cli
