// graphics.library and varno.library: libraries players open but never call.
#pragma once

#include "amigaos/library.h"

namespace varno {

// Players open graphics.library to learn whether the machine is PAL or NTSC.
class CGraphicsLibrary : public CLibrary {
public:
    static constexpr uint32_t kPositiveSize = 300;
    static constexpr uint32_t kDisplayFlags = 206;  // word; PAL = 4
    static constexpr uint16_t kPal = 4;

    CGraphicsLibrary(const OsParts& parts, uint32_t previousEnd);
    uint32_t positiveSize() const override { return kPositiveSize; }
};

// An empty library that exists so that players asking for it find it.
class CVarnoLibrary : public CLibrary {
public:
    CVarnoLibrary(const OsParts& parts, uint32_t previousEnd);
};

} // namespace varno
