// A host for platforms without XMPlay: the same function tables the plugin gets from
// XMPlay, served from the file system and from ZIP archives ("archive|entry"), with
// settings in an INI file and texts converted from ISO-8859-1 to UTF-8.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>

#include "platform/host_tables.h"

namespace varno {

// "archive|entry" taken apart: the archive as found on disk, the entry's name in it.
struct ArchivePath {
    std::string archive;
    std::string entry;
};

// Where a path names an archive's entry: at the last "|" whose left side is a
// file (so an archive whose own name holds a "|" is found too). Nothing for a
// path that names a file itself, "|" or not, or names no archive.
std::optional<ArchivePath> splitArchivePath(const std::string& path);

class PortableHost {
public:
    // The one host; its tables hold plain functions, so they reach it through here.
    static PortableHost& instance();

    const HostTables& tables() const { return tables_; }

    // The music player's way to its tables, as the plugin's interface request
    // takes it: a table number in, the table out (null for tables it lacks).
    static const void* VARNO_HOSTAPI functionTable(uint32_t table);

    // The INI file settings are read from and written to; by default the user's
    // (defaultSettingsPath), chosen at the first settings call.
    void setSettingsFile(const std::string& path);
    std::string settingsFile() const;
    // Values the plugin reads instead of the file's ("section/key" -> value), for
    // one run; writes still go to the file.
    std::map<std::string, int> settingOverrides;
    // Settings writes that did not reach the file (the plugin's save has no
    // result of its own; the command line reports these).
    int settingsWriteFailures = 0;
    // Opening `from` opens `to` instead (a player archive given by the user).
    void redirect(const std::string& from, const std::string& to);
    // Called with every length the plugin reports for the subsong playing.
    std::function<void(float seconds)> onLength;
    // The flags of the last length report (1: the song can be sought).
    int lastLengthFlags = 0;
    // Files currently open (for tests that check nothing is left open).
    size_t openFileCount() const;
    void closeAllFiles();

private:
    PortableHost();
    HostTables tables_;
};

} // namespace varno
