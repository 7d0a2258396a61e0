// dos.library layout.
#include "amigaos/dos_library.h"

namespace varno {

CDosLibrary::CDosLibrary(AmigaMachine& machine, uint32_t previousEnd, const char* pluginDirectory)
    : CLibrary(machine, kNegativeSize, 34, previousEnd, "dos.library"), pluginDirectoryRef(pluginDirectory) {
    writeVectors();
}

} // namespace varno
