// The export, the interface table and the plugin's start and end.
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>

#include "machine/amiga_machine.h"
#include "session/song.h"
#include "plugin/dialogs.h"
#include "platform/cache_folder.h"
#include "platform/library_file.h"
#include "platform/message_box.h"
#include "plugin/entries.h"
#include "plugin/length_scan.h"
#include "plugin/playback_state.h"
#include "plugin/plugin_instance.h"
#include "plugin/settings_store.h"

namespace varno {

namespace {

// Process-wide, as the host expects of a plugin: created at the first
// interface request, destroyed at unload.
char libraryDirectory[512];
bool versionMessageShown = false;
bool directoryMessageShown = false;
HostTables* hostTables = nullptr; // kept to the end of the process
PluginInstance* instance = nullptr;
AmigaMachine* machine = nullptr;
Song* song = nullptr;

const XmpInterface interfaceTable = {
    8,
    kPluginName,
    "",
    entries::about,
    entries::config,
    entries::checkFile,
    entries::getFileInfo,
    entries::open,
    entries::close,
    nullptr,
    entries::setFormat,
    entries::getTags,
    entries::getInfoText,
    entries::getGeneralInfo,
    entries::getMessage,
    entries::setPosition,
    entries::getGranule,
    nullptr,
    entries::process,
    nullptr,
    nullptr,
    entries::getSubSongs,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

HostTables* fetchHostTables(GetHostFunctions getFunctions) {
    if (!getFunctions) throw std::runtime_error("bad funcs");
    auto* tables = new (std::nothrow) HostTables;
    if (!tables) throw std::runtime_error("bad funcs");
    tables->inputFunctions = static_cast<const HostInputFunctions*>(getFunctions(11));
    tables->statusFunctions = getFunctions(4);
    tables->textFunctions = static_cast<const HostTextFunctions*>(getFunctions(3));
    tables->fileFunctions = static_cast<const HostFileFunctions*>(getFunctions(2));
    tables->settingsFunctions = static_cast<const HostSettingsFunctions*>(getFunctions(1));
    tables->memoryFunctions = static_cast<const HostMemoryFunctions*>(getFunctions(0));
    return tables;
}

} // namespace

PluginInstance* pluginInstance() { return instance; }

void showMachineFault(const std::string& text) { showError(kPluginCaption, text.c_str()); }

Mutex& pluginMutex() {
    static Mutex mutex;
    return mutex;
}

bool pluginDirectoryOf(const char* libraryPath, char (&directory)[256]) {
    directory[0] = 0;
    if (!libraryPath) return true;
    const char* end = nullptr;
    for (const char* p = libraryPath; *p; ++p)
        if (*p == '\\' || *p == '/') end = p + 1;
    if (!end) return true;
    const size_t length = size_t(end - libraryPath);
    if (length >= sizeof directory) return false;
    std::memcpy(directory, libraryPath, length);
    directory[length] = 0;
    return true;
}

void detachPlugin() {
    if (!instance) return;
    {
        MutexLock lock(pluginMutex());
        MutexLock scanning(instance->scanner.lock);  // a scan on another thread ends first
        instance->scanner.machine.reset();
        closePlayingModule();
        delete machine;
        machine = nullptr;
        delete song;
        song = nullptr;
    }
    delete instance;
    instance = nullptr;
}

namespace entries {

int VARNO_HOSTAPI about(void* parentWindow) { return showAboutDialog(parentWindow); }
int VARNO_HOSTAPI config(void* parentWindow) { return showConfigDialog(parentWindow, instance); }

} // namespace entries

namespace {

const XmpInterface* getInterface(uint32_t face, GetHostFunctions getFunctions) {
    if (face != kInterfaceVersion) {
        if (face < kInterfaceVersion && !versionMessageShown) {
            versionMessageShown = true;
            showError(kPluginTitle, "Error:\nIncompatible XMPlay version.");
        }
        return nullptr;
    }
    // The host asks once; a second request gets the same plugin.
    if (instance) return &interfaceTable;

    const std::string path = libraryFilePath();
    std::strncpy(libraryDirectory, path.c_str(), sizeof libraryDirectory - 1);
    char directory[256];
    if (!pluginDirectoryOf(libraryDirectory, directory)) {
        if (!directoryMessageShown) {
            directoryMessageShown = true;
            showError(kPluginCaption, "The plugin's folder path is too long (255 characters at most): move the "
                                      "plugin and xmp-varno.dat to a shorter path.");
        }
        return nullptr;
    }

    if (!hostTables) hostTables = fetchHostTables(getFunctions);
    instance = new (std::nothrow) PluginInstance;
    if (!instance) return &interfaceTable;
    instance->host = hostTables;
    instance->instance = libraryHandle();
    std::memcpy(instance->directory, directory, sizeof directory);
    loadSettings();
    if (const std::string folder = cacheFolder(instance->directory); !folder.empty())
        instance->lengthCache = std::make_unique<LengthCache>(folder);
    try {
        auto record = std::make_unique<Song>();
        if (auto built = createMachine(hostTables, instance->directory)) {
            built->faultSink = showMachineFault;
            attachSong(*built, *record);
            machine = built.release();
            song = record.release();
        }
    } catch (const std::bad_alloc&) {
        machine = nullptr; // every entry then answers "not playable"
    }
    instance->machine = machine;
    instance->song = song;
    pluginMutex();
    return &interfaceTable;
}

} // namespace

} // namespace varno

using namespace varno;

// The host is C: nothing may unwind into it. A start that throws (host tables
// that cannot be stored, memory that runs out) is shown and the plugin is not
// offered; the host may ask again.
extern "C" const XmpInterface* VARNO_HOSTAPI XMPIN_GetInterface(uint32_t face, GetHostFunctions getFunctions) {
    try {
        return getInterface(face, getFunctions);
    } catch (const std::exception& e) {
        showError(kPluginCaption, (std::string("The plugin cannot start: ") + e.what()).c_str());
    } catch (...) {
        showError(kPluginCaption, "The plugin cannot start.");
    }
    return nullptr;
}
