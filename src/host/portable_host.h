// A host for platforms without XMPlay: the same function tables the plugin gets from
// XMPlay, served from the file system and from ZIP archives ("archive|entry").
#pragma once

#include <functional>
#include <map>
#include <string>

#include "machine/host.h"

namespace varno {

class PortableHost {
public:
    // The one host; its tables hold plain functions, so they reach it through here.
    static PortableHost& instance();

    const HostTables& tables() const { return tables_; }

    // The settings store the plugin reads and writes ("section/key" -> value).
    std::map<std::string, int> settings;
    // Called with every length the plugin reports for the subsong playing.
    std::function<void(float seconds)> onLength;
    // Files currently open (for tests that check nothing is left open).
    size_t openFileCount() const;
    void closeAllFiles();

private:
    PortableHost();
    HostTables tables_;
};

} // namespace varno
