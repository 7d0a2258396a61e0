// The bytes of the built-in EASO replay routine, in 68000 order.
#include "amigaos/easo_block.h"

namespace varno {

const uint8_t kEasoBlock[kEasoBlockSize] = {
#include "amigaos/easo_block.inc"
};

} // namespace varno
