// Starting the plugin the way the music player does, with the portable host, for
// the fuzz targets that go through the interface table.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "host/portable_host.h"
#include "platform/message_box.h"
#include "plugin/plugin_instance.h"
#include "plugin/xmpin.h"

namespace varno::fuzz {

// The default player archive once it is built, else the test players'.
inline std::string playerArchive() {
    return std::filesystem::exists(VARNO_DEFAULT_ARCHIVE) ? VARNO_DEFAULT_ARCHIVE : VARNO_TEST_ARCHIVE;
}

// A scratch folder of this process for the files the host opens.
inline std::filesystem::path scratchFolder() {
    static const std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() / ("varno-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

inline std::string writeScratch(const std::string& name, const uint8_t* data, size_t size) {
    const std::string path = (scratchFolder() / name).string();
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                   std::streamsize(size));
    return path;
}

} // namespace varno::fuzz
