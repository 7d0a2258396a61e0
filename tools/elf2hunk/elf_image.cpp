// Reads and validates an ELF32 big-endian m68k file before anything is converted.
#include "elf_image.h"

#include <cstdio>
#include <cstring>

namespace varno::elf2hunk {
namespace {

constexpr std::size_t kHeaderSize = 52;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::size_t kSymbolSize = 16;
constexpr std::size_t kRelSize = 8;
constexpr std::size_t kRelaSize = 12;
constexpr std::uint16_t kExtendedSectionIndex = 0xFFFF;

std::uint16_t read16(std::span<const std::uint8_t> bytes, std::uint64_t at) {
    if (at + 2 > bytes.size()) {
        throw ConversionError("read past the end of the file");
    }
    return static_cast<std::uint16_t>(bytes[at] << 8 | bytes[at + 1]);
}

std::uint32_t read32(std::span<const std::uint8_t> bytes, std::uint64_t at) {
    return static_cast<std::uint32_t>(read16(bytes, at)) << 16 | read16(bytes, at + 2);
}

} // namespace

std::string hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(value));
    return text;
}

ElfImage::ElfImage(std::span<const std::uint8_t> file) : file_(file) {
    readHeader();
    readSymbols();
    checkRelocationSections();
}

void ElfImage::readHeader() {
    if (file_.size() < 4 || std::memcmp(file_.data(), "\x7f" "ELF", 4) != 0) {
        throw ConversionError("not an ELF file");
    }
    if (file_.size() < kHeaderSize) {
        throw ConversionError("truncated ELF header");
    }
    if (file_[4] != 1) {
        throw ConversionError("not a 32-bit ELF file");
    }
    if (file_[5] != 2) {
        throw ConversionError("not a big-endian ELF file");
    }
    if (file_[6] != 1) {
        throw ConversionError("unknown ELF version");
    }
    fileType_ = read16(file_, 16);
    if (read16(file_, 18) != elf::kMachine68k) {
        throw ConversionError("not an m68k ELF file (machine " + std::to_string(read16(file_, 18)) + ")");
    }
    if (fileType_ == elf::kTypeRelocatable) {
        throw ConversionError(
            "relocatable object: link it first (with the m68k linker script and --emit-relocs)");
    }
    if (fileType_ != elf::kTypeExecutable) {
        throw ConversionError("not an executable ELF file (type " + std::to_string(fileType_) + ")");
    }
    const std::uint32_t tableOffset = read32(file_, 32);
    const std::uint16_t entrySize = read16(file_, 46);
    const std::uint16_t count = read16(file_, 48);
    const std::uint16_t namesIndex = read16(file_, 50);
    if (count == 0 || tableOffset == 0) {
        throw ConversionError("no section headers");
    }
    if (entrySize != kSectionHeaderSize) {
        throw ConversionError("unexpected section header size " + std::to_string(entrySize));
    }
    if (namesIndex == kExtendedSectionIndex || namesIndex >= count) {
        throw ConversionError("section name table index out of range");
    }
    readSections(tableOffset, count, namesIndex);
}

void ElfImage::readSections(std::uint32_t tableOffset, std::uint32_t count, std::uint32_t namesIndex) {
    if (std::uint64_t{tableOffset} + std::uint64_t{count} * kSectionHeaderSize > file_.size()) {
        throw ConversionError("section header table runs past the end of the file");
    }
    sections_.resize(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t at = tableOffset + std::uint64_t{i} * kSectionHeaderSize;
        ElfSection& section = sections_[i];
        section.type = read32(file_, at + 4);
        section.flags = read32(file_, at + 8);
        section.address = read32(file_, at + 12);
        section.offset = read32(file_, at + 16);
        section.size = read32(file_, at + 20);
        section.link = read32(file_, at + 24);
        section.info = read32(file_, at + 28);
        section.entrySize = read32(file_, at + 36);
        if (section.hasFileContents() && std::uint64_t{section.offset} + section.size > file_.size()) {
            throw ConversionError("section " + std::to_string(i) + " (offset " + hex(section.offset) +
                                  ", size " + hex(section.size) + ") runs past the end of the file");
        }
    }
    const ElfSection& names = sections_[namesIndex];
    if (names.type != elf::kSectionStringTable) {
        throw ConversionError("section name table is not a string table");
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        sections_[i].name = stringAt(names, read32(file_, tableOffset + std::uint64_t{i} * kSectionHeaderSize));
    }
}

std::string ElfImage::stringAt(const ElfSection& table, std::uint32_t offset) const {
    if (offset >= table.size) {
        throw ConversionError("string offset " + hex(offset) + " outside its string table");
    }
    const auto bytes = contents(table).subspan(offset);
    const void* end = std::memchr(bytes.data(), 0, bytes.size());
    if (end == nullptr) {
        throw ConversionError("unterminated string in a string table");
    }
    return std::string(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<const std::uint8_t*>(end) - bytes.data());
}

void ElfImage::readSymbols() {
    for (std::uint32_t i = 0; i < sections_.size(); ++i) {
        if (sections_[i].type != elf::kSectionSymbolTable) {
            continue;
        }
        if (symbolTableIndex_ != 0) {
            throw ConversionError("more than one symbol table");
        }
        symbolTableIndex_ = i;
    }
    if (symbolTableIndex_ == 0) {
        return;
    }
    const ElfSection& table = sections_[symbolTableIndex_];
    if (table.entrySize != kSymbolSize || table.size % kSymbolSize != 0) {
        throw ConversionError("malformed symbol table (entry size " + std::to_string(table.entrySize) + ")");
    }
    if (table.link >= sections_.size() || sections_[table.link].type != elf::kSectionStringTable) {
        throw ConversionError("symbol table does not link to a string table");
    }
    const ElfSection& names = sections_[table.link];
    const auto bytes = contents(table);
    symbols_.resize(table.size / kSymbolSize);
    for (std::size_t i = 0; i < symbols_.size(); ++i) {
        const std::size_t at = i * kSymbolSize;
        ElfSymbol& symbol = symbols_[i];
        const std::uint32_t nameOffset = read32(bytes, at);
        symbol.name = nameOffset == 0 ? std::string() : stringAt(names, nameOffset);
        symbol.value = read32(bytes, at + 4);
        symbol.section = read16(bytes, at + 14);
        if (symbol.section != elf::kSymbolUndefined && symbol.section < elf::kSymbolLowReserve &&
            symbol.section >= sections_.size()) {
            throw ConversionError("symbol '" + symbol.name + "' names section " +
                                  std::to_string(symbol.section) + ", which does not exist");
        }
    }
}

void ElfImage::checkRelocationSections() const {
    for (const ElfSection& section : sections_) {
        if (section.type != elf::kSectionRel && section.type != elf::kSectionRela) {
            continue;
        }
        const std::size_t entrySize = section.type == elf::kSectionRela ? kRelaSize : kRelSize;
        if (section.entrySize != entrySize || section.size % entrySize != 0) {
            throw ConversionError("malformed relocation section " + section.name);
        }
        if (section.info == 0 || section.info >= sections_.size()) {
            throw ConversionError("relocation section " + section.name + " applies to no valid section");
        }
        if (section.link != symbolTableIndex_ || symbolTableIndex_ == 0) {
            throw ConversionError("relocation section " + section.name + " does not use the symbol table");
        }
        for (const ElfRelocation& relocation : relocations(section)) {
            if (relocation.symbol >= symbols_.size()) {
                throw ConversionError("relocation in " + section.name + " names symbol " +
                                      std::to_string(relocation.symbol) + ", which does not exist");
            }
        }
    }
}

std::span<const std::uint8_t> ElfImage::contents(const ElfSection& section) const {
    if (!section.hasFileContents()) {
        return {};
    }
    return file_.subspan(section.offset, section.size);
}

std::vector<ElfRelocation> ElfImage::relocations(const ElfSection& section) const {
    const std::size_t entrySize = section.type == elf::kSectionRela ? kRelaSize : kRelSize;
    const auto bytes = contents(section);
    std::vector<ElfRelocation> result(bytes.size() / entrySize);
    for (std::size_t i = 0; i < result.size(); ++i) {
        const std::uint32_t info = read32(bytes, i * entrySize + 4);
        result[i].offset = read32(bytes, i * entrySize);
        result[i].symbol = info >> 8;
        result[i].type = static_cast<std::uint8_t>(info & 0xFF);
    }
    return result;
}

} // namespace varno::elf2hunk
