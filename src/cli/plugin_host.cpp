#include "cli/plugin_host.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "host/portable_host.h"
#include "platform/message_box.h"
#include "plugin/plugin_instance.h"
#include "plugin/settings_store.h"

namespace varno::cli {

namespace {

std::string currentFile;

void setOverride(const char* key, int value) {
    if (value >= 0) PortableHost::instance().settingOverrides[std::string(kSettingsSection) + "/" + key] = value;
}

} // namespace

void reportError(const std::string& file, const std::string& cause) {
    if (file.empty())
        std::fprintf(stderr, "varno: %s\n", cause.c_str());
    else
        std::fprintf(stderr, "varno: %s: %s\n", file.c_str(), cause.c_str());
}

void setCurrentFile(const std::string& path) { currentFile = path; }

const XmpInterface* startPlugin(const std::string& playersArchive, const SettingOverrides& overrides,
                                bool needPlayers) {
    // A player's fault is a line about the file being played; the batch goes on.
    setErrorSink([](const std::string&, const std::string& text) {
        std::string line = text;
        for (char& c : line)
            if (c == '\n') c = ' ';
        reportError(currentFile, line);
    });
    setOverride("stereo_separation", overrides.separation);
    setOverride("surround", overrides.surround);
    setOverride("use_songend", overrides.songEnd);
    setOverride("default_playtime", overrides.playTime);
    setOverride("interpolation", overrides.interpolation);
    setOverride("seeking", overrides.seeking);

    const XmpInterface* plugin = XMPIN_GetInterface(kInterfaceVersion, PortableHost::functionTable);
    PluginInstance* instance = pluginInstance();
    if (!plugin || !instance || !instance->machine) {
        reportError("", "the plugin could not start");
        return nullptr;
    }
    if (!needPlayers) return plugin;
    const std::string beside = std::string(instance->directory) + "xmp-varno.dat";
    std::error_code ec;
    if (!playersArchive.empty()) {
        if (!std::filesystem::is_regular_file(playersArchive, ec)) {
            reportError(playersArchive, "no such player archive");
            return nullptr;
        }
        PortableHost::instance().redirect(beside, std::filesystem::absolute(playersArchive, ec).string());
    } else if (!std::filesystem::is_regular_file(beside, ec)) {
        reportError("", "no player archive: " + beside + " is missing (give one with --players FILE)");
        return nullptr;
    }
    return plugin;
}

void stopPlugin() {
    detachPlugin();
    setErrorSink(nullptr);
}

HostFileHandle::~HostFileHandle() {
    if (file_) PortableHost::instance().tables().fileFunctions->close(file_);
}

bool HostFileHandle::open(const std::string& path, std::string& cause) {
    namespace fs = std::filesystem;
    const size_t bar = path.find('|');
    const std::string onDisk = bar == std::string::npos ? path : path.substr(0, bar);
    std::error_code ec;
    if (!fs::exists(onDisk, ec)) {
        cause = "no such file";
        return false;
    }
    if (!fs::is_regular_file(onDisk, ec)) {
        cause = "not a file";
        return false;
    }
    if (!std::ifstream(onDisk, std::ios::binary)) {
        cause = std::string("cannot be read: ") + std::strerror(errno);
        return false;
    }
    file_ = PortableHost::instance().tables().fileFunctions->open(path.c_str());
    if (!file_) cause = bar == std::string::npos ? "cannot be read" : "no such entry in the archive";
    return file_ != nullptr;
}

} // namespace varno::cli
