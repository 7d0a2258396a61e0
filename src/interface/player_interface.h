// The numbers of the player interface as the players see them: the DeliBase
// offsets, exec's Interrupt structure and the check window come from the 68000
// headers (m68k/include/varno) that players in C and assembly include, so the host
// and a player can never disagree on one. Only the macros are read here; the
// headers' C structures describe 68000 pointers.
#pragma once

#include <cstdint>

#ifndef VARNO_HOST
#define VARNO_HOST 1
#endif
// By path from here: the players' include folder is theirs, not the host's.
#include "../../m68k/include/varno/delibase.h"
#include "../../m68k/include/varno/exec.h"

namespace varno {

// Bytes of a file placed for a check routine: its first 128 KB.
constexpr uint32_t kCheckWindow = dtg_CheckWindow;

// An exec Interrupt structure, as players hand it to SetIntVector, AddIntServer
// and Cause and as the host builds the player's timer interrupt.
constexpr uint32_t kInterruptPriority = LN_PRI; // byte
constexpr uint32_t kInterruptName = LN_NAME;    // long
constexpr uint32_t kInterruptData = IS_DATA;    // long: handed to the code in A1
constexpr uint32_t kInterruptCode = IS_CODE;    // long: the server, ends with RTS

} // namespace varno
