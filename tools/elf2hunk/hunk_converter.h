// Turns a linked m68k ELF executable into an AmigaOS hunk executable.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "elf_image.h"

namespace varno::elf2hunk {

// Hunk ids of the AmigaOS executable format that the converter writes.
namespace hunk {
inline constexpr std::uint32_t kCode = 0x3E9;
inline constexpr std::uint32_t kData = 0x3EA;
inline constexpr std::uint32_t kBss = 0x3EB;
inline constexpr std::uint32_t kReloc32 = 0x3EC;
inline constexpr std::uint32_t kEnd = 0x3F2;
inline constexpr std::uint32_t kHeader = 0x3F3;
} // namespace hunk

// The input must be an ET_EXEC linked with --emit-relocs (-q), each output section
// linked at an address of its own (any address: values are rebased against it).
// Every allocated section becomes one hunk, in section order: executable PROGBITS a
// code hunk, other PROGBITS a data hunk, NOBITS a BSS hunk. Empty sections are
// dropped unless a relocation refers to them. R_68K_32 references to a section
// become HUNK_RELOC32 entries; PC-relative references must stay inside their
// section; anything else that depends on the load address is refused.
// Throws ConversionError naming the fault; never returns a partial result.
std::vector<std::uint8_t> convertToHunks(std::span<const std::uint8_t> elfFile);

} // namespace varno::elf2hunk
