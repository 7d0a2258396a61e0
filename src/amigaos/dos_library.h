// dos.library: files and directories of the host, seen by players as AmigaDOS.
#pragma once

#include "amigaos/library.h"

namespace varno {

class CDosLibrary : public CLibrary {
public:
    static constexpr uint32_t kNegativeSize = 996;  // vectors -6 .. -996

    CDosLibrary(AmigaMachine& machine, uint32_t previousEnd, const char* pluginDirectory);
    uint32_t negativeSize() const override { return kNegativeSize; }

    char currentDirectory[512] = {};  // put in front of names given to Open, Lock, LoadSeg
    char savedDirectory[512] = {};    // the path remembered by the last Lock
    const char* pluginDirectoryRef;   // with its trailing separator
};

} // namespace varno
