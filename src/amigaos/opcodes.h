// 68000 instruction words that the emulated OS writes into memory: call stubs,
// vector tables and code patches.
#pragma once

#include <cstdint>

namespace varno {

constexpr uint16_t kOpJmpAbsLong = 0x4EF9;          // JMP abs.l
constexpr uint16_t kOpJsrAbsLong = 0x4EB9;          // JSR abs.l
constexpr uint16_t kOpMoveWordImmAbsLong = 0x33FC;  // MOVE.W #imm,abs.l
constexpr uint16_t kOpTstLongD0 = 0x4A80;           // TST.L D0
constexpr uint16_t kOpRts = 0x4E75;
constexpr uint16_t kOpNop = 0x4E71;

} // namespace varno
