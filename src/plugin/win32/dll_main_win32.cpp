// Library attach and detach: the plugin keeps its module handle for its file name
// and resources, wants no per-thread notifications, and tears the machine down
// when the host unloads it.
#include <windows.h>

#include "platform/library_file.h"
#include "plugin/plugin_instance.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        DisableThreadLibraryCalls(instance);
        varno::setLibraryHandle(instance);
        break;
    case DLL_PROCESS_DETACH:
        varno::detachPlugin();
        break;
    default:
        break;
    }
    return TRUE;
}
