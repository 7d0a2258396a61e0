// The built-in replay routine placed in front of EASO data (see m68k/easo/easo_block.S).
#pragma once

#include <cstdint>

namespace varno {

constexpr uint32_t kEasoBlockSize = 1166; // the data follows the block at this offset
extern const uint8_t kEasoBlock[kEasoBlockSize];

} // namespace varno
