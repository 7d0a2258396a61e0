#include "cli/plugin_host.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <climits>
#include <optional>
#include <unistd.h>

#include "host/portable_host.h"
#include "machine/settings.h"
#include "platform/message_box.h"
#include "plugin/plugin_extras.h"
#include "plugin/plugin_instance.h"
#include "plugin/settings_store.h"

namespace varno::cli {

namespace {

std::string currentFile;

void setOverride(const char* key, int value) {
    if (value >= 0) PortableHost::instance().settingOverrides[std::string(kSettingsSection) + "/" + key] = value;
}

} // namespace

namespace {
bool statusLineShown = false;
} // namespace

void setStatusLineShown(bool shown) { statusLineShown = shown; }

void reportError(const std::string& file, const std::string& cause) {
    if (statusLineShown) std::fprintf(stderr, "\r\033[K");
    if (file.empty())
        std::fprintf(stderr, "varno: %s\n", cause.c_str());
    else
        std::fprintf(stderr, "varno: %s: %s\n", file.c_str(), cause.c_str());
}

void setCurrentFile(const std::string& path) { currentFile = path; }

std::string findPlayerArchive(std::string& searched) {
    namespace fs = std::filesystem;
    std::error_code ec;
    std::vector<fs::path> places;
    // The kernel's name of the program is its real file, symbolic links resolved.
    char self[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) {
        const fs::path folder = fs::path(std::string(self, size_t(n))).parent_path();
        places.push_back(folder / "xmp-varno.dat");
        places.push_back((folder.parent_path() / "share" / "varno" / "xmp-varno.dat").lexically_normal());
    }
    places.push_back(fs::path(VARNO_INSTALL_DATADIR) / "xmp-varno.dat");
    searched.clear();
    for (const fs::path& p : places) {
        if (fs::is_regular_file(p, ec)) return p.string();
        searched += (searched.empty() ? "" : ", ") + p.string();
    }
    return {};
}

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
    std::string archive;
    if (!playersArchive.empty()) {
        if (!std::filesystem::is_regular_file(playersArchive, ec)) {
            reportError(playersArchive, "no such player archive");
            return nullptr;
        }
        archive = std::filesystem::absolute(playersArchive, ec).string();
    } else {
        std::string searched;
        archive = findPlayerArchive(searched);
        if (archive.empty()) {
            reportError("", "no player archive xmp-varno.dat (looked at " + searched + "; give one with --players FILE)");
            return nullptr;
        }
    }
    if (archive != beside) PortableHost::instance().redirect(beside, archive);
    // The catalogue is loaded now, so that an archive without players is told
    // apart from modules nothing plays. The plugin's own message speaks of the
    // music player's ZIP support; this one names the file.
    const ErrorSink sink = setErrorSink([](const std::string&, const std::string&) {});
    const bool players = !listPlayers().empty();
    setErrorSink(sink);
    if (!players) {
        reportError(archive, "not a player archive: no players could be loaded from it (a ZIP file of Amiga players "
                             "is expected)");
        stopPlugin();
        return nullptr;
    }
    for (const std::string& warning : settingsWarnings()) reportError("", "warning: " + warning);
    return plugin;
}

std::vector<std::string> settingsWarnings() {
    std::vector<std::string> lines;
    const PluginSettings& s = pluginSettings;
    const std::string file = PortableHost::instance().settingsFile();
    if (s.default_playtime < 0)
        lines.push_back("default_playtime is " + std::to_string(s.default_playtime) + " in " + file +
                        ": a song whose player does not signal its end stops as it starts (set it with varno settings default_playtime=180)");
    return lines;
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
    std::error_code ec;
    const std::optional<ArchivePath> entry = splitArchivePath(path);
    const std::string onDisk = entry ? entry->archive : path;
    if (!fs::exists(onDisk, ec)) {
        const size_t bar = path.rfind('|');
        cause = bar == std::string::npos ? "no such file" : "no such archive: " + path.substr(0, bar);
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
    if (!file_) cause = entry ? "no such entry in the archive" : "cannot be read";
    return file_ != nullptr;
}

} // namespace varno::cli

namespace varno::cli {

bool openModule(const XmpInterface& plugin, const std::string& path, HostFileHandle& file, std::string& cause) {
    if (!file.get() && !file.open(path, cause)) return false;
    if (!plugin.checkFile(path.c_str(), file.get())) {
        cause = "no player recognises this file";
        return false;
    }
    if (plugin.open(path.c_str(), file.get()) == 0) {
        cause = "the player could not set up this module";
        return false;
    }
    return true;
}

std::vector<std::string> expandArchives(const std::vector<std::string>& files) {
    const HostFileFunctions& host = *PortableHost::instance().tables().fileFunctions;
    std::vector<std::string> list;
    for (const std::string& path : files) {
        const bool plain = !splitArchivePath(path);
        HostFileHandle file;
        std::string cause;
        char magic[4] = {};
        // Only a ZIP archive is opened up; anything else, or a file that cannot be
        // read, stays as given and is reported as such by the command.
        if (!plain || !file.open(path, cause) || host.read(file.get(), magic, 4) != 4 ||
            std::memcmp(magic, "PK\x03\x04", 4) != 0) {
            list.push_back(path);
            continue;
        }
        const char* names = host.listEntries(file.get());
        const size_t before = list.size();
        for (const char* name = names; name && *name; name += std::strlen(name) + 1) list.push_back(path + "|" + name);
        if (list.size() == before) list.push_back(path);
    }
    return list;
}

} // namespace varno::cli
