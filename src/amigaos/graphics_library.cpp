// graphics.library and varno.library layouts.
#include "amigaos/graphics_library.h"

#include "machine/amiga_machine.h"

namespace varno {

CGraphicsLibrary::CGraphicsLibrary(AmigaMachine& machine, uint32_t previousEnd)
    : CLibrary(machine, 24, kPositiveSize, previousEnd, "graphics.library") {
    writeVectors();
    memory->writeWord(baseAddress() + kDisplayFlags, kPal);
}

CVarnoLibrary::CVarnoLibrary(AmigaMachine& machine, uint32_t previousEnd)
    : CLibrary(machine, 24, 34, previousEnd, "varno.library") {
    writeVectors();
}

} // namespace varno
