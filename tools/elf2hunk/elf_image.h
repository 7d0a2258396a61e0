// A validated view of an ELF32 big-endian m68k executable: sections, symbols, relocations.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace varno::elf2hunk {

// Raised for any input the converter cannot turn into a correct hunk file.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "0x1a2b", for messages.
std::string hex(std::uint32_t value);

// ELF constants used by the converter (System V ABI, m68k supplement).
namespace elf {
inline constexpr std::uint16_t kTypeRelocatable = 1;
inline constexpr std::uint16_t kTypeExecutable = 2;
inline constexpr std::uint16_t kMachine68k = 4;

inline constexpr std::uint32_t kSectionNull = 0;
inline constexpr std::uint32_t kSectionProgBits = 1;
inline constexpr std::uint32_t kSectionSymbolTable = 2;
inline constexpr std::uint32_t kSectionStringTable = 3;
inline constexpr std::uint32_t kSectionRela = 4;
inline constexpr std::uint32_t kSectionNoBits = 8;
inline constexpr std::uint32_t kSectionRel = 9;

inline constexpr std::uint32_t kFlagWrite = 0x1;
inline constexpr std::uint32_t kFlagAlloc = 0x2;
inline constexpr std::uint32_t kFlagExecute = 0x4;

inline constexpr std::uint16_t kSymbolUndefined = 0;
inline constexpr std::uint16_t kSymbolLowReserve = 0xFF00;
inline constexpr std::uint16_t kSymbolAbsolute = 0xFFF1;
inline constexpr std::uint16_t kSymbolCommon = 0xFFF2;

inline constexpr std::uint8_t kRelocNone = 0;
inline constexpr std::uint8_t kReloc32 = 1;
inline constexpr std::uint8_t kReloc16 = 2;
inline constexpr std::uint8_t kReloc8 = 3;
inline constexpr std::uint8_t kRelocPc32 = 4;
inline constexpr std::uint8_t kRelocPc16 = 5;
inline constexpr std::uint8_t kRelocPc8 = 6;
} // namespace elf

struct ElfSection {
    std::string name;
    std::uint32_t type = 0;
    std::uint32_t flags = 0;
    std::uint32_t address = 0;
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
    std::uint32_t link = 0;
    std::uint32_t info = 0;
    std::uint32_t entrySize = 0;

    bool allocated() const { return (flags & elf::kFlagAlloc) != 0; }
    bool hasFileContents() const { return type != elf::kSectionNoBits && type != elf::kSectionNull; }
};

struct ElfSymbol {
    std::string name;
    std::uint32_t value = 0;
    std::uint16_t section = 0; // st_shndx
};

struct ElfRelocation {
    std::uint32_t offset = 0; // r_offset: an address in an executable
    std::uint32_t symbol = 0; // index into the symbol table
    std::uint8_t type = 0;
};

// Parses and checks the headers, the section table, the symbol table and every
// relocation table up front, so that later stages never read outside the file.
class ElfImage {
public:
    // Throws ConversionError with a message naming the fault.
    explicit ElfImage(std::span<const std::uint8_t> file);

    std::uint16_t fileType() const { return fileType_; }
    const std::vector<ElfSection>& sections() const { return sections_; }
    const std::vector<ElfSymbol>& symbols() const { return symbols_; }

    // The file bytes of a section that has contents in the file.
    std::span<const std::uint8_t> contents(const ElfSection& section) const;

    // The entries of a SHT_REL or SHT_RELA section, symbol indices already checked.
    std::vector<ElfRelocation> relocations(const ElfSection& section) const;

private:
    void readHeader();
    void readSections(std::uint32_t tableOffset, std::uint32_t count, std::uint32_t namesIndex);
    void readSymbols();
    void checkRelocationSections() const;
    std::string stringAt(const ElfSection& table, std::uint32_t offset) const;

    std::span<const std::uint8_t> file_;
    std::uint16_t fileType_ = 0;
    std::vector<ElfSection> sections_;
    std::vector<ElfSymbol> symbols_;
    std::uint32_t symbolTableIndex_ = 0; // 0: the file has none
};

} // namespace varno::elf2hunk
