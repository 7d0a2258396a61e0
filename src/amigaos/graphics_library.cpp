// graphics.library and varno.library layouts.
#include "amigaos/graphics_library.h"
#include "memory/memory_region.h"


namespace varno {

CGraphicsLibrary::CGraphicsLibrary(const OsParts& parts, uint32_t previousEnd)
    : CLibrary(parts, 24, kPositiveSize, previousEnd, "graphics.library") {
    writeVectors();
    memory->writeWord(baseAddress() + kDisplayFlags, kPal);
}

CVarnoLibrary::CVarnoLibrary(const OsParts& parts, uint32_t previousEnd)
    : CLibrary(parts, 24, 34, previousEnd, "varno.library") {
    writeVectors();
}

} // namespace varno
