// ELF sections to hunks: classify, rebase the absolute references, write the hunk file.
#include "hunk_converter.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string>

namespace varno::elf2hunk {
namespace {

// No hunk can be larger than what a 24-bit address bus reaches; this also keeps
// every size far below the 30 bits a hunk size may use.
constexpr std::uint32_t kAddressSpace = 0x1000000;

struct Hunk {
    std::uint32_t id = 0;
    std::uint32_t sectionIndex = 0;
    std::vector<std::uint8_t> contents; // code and data only
    std::map<std::uint32_t, std::vector<std::uint32_t>> relocations; // target hunk -> offsets
};

std::uint32_t read32(const std::vector<std::uint8_t>& bytes, std::uint32_t at) {
    return static_cast<std::uint32_t>(bytes[at]) << 24 | static_cast<std::uint32_t>(bytes[at + 1]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3];
}

void write32(std::vector<std::uint8_t>& bytes, std::uint32_t at, std::uint32_t value) {
    bytes[at] = static_cast<std::uint8_t>(value >> 24);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 16);
    bytes[at + 2] = static_cast<std::uint8_t>(value >> 8);
    bytes[at + 3] = static_cast<std::uint8_t>(value);
}

void append32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.resize(out.size() + 4);
    write32(out, static_cast<std::uint32_t>(out.size() - 4), value);
}

std::uint32_t hunkIdOf(const ElfSection& section) {
    if (section.type == elf::kSectionNoBits) {
        return hunk::kBss;
    }
    if (section.type == elf::kSectionProgBits) {
        return (section.flags & elf::kFlagExecute) != 0 ? hunk::kCode : hunk::kData;
    }
    throw ConversionError("allocated section " + section.name + " has type " + std::to_string(section.type) +
                          ", which has no hunk equivalent");
}

std::uint32_t widthOf(std::uint8_t type) {
    switch (type) {
    case elf::kReloc32:
    case elf::kRelocPc32:
        return 4;
    case elf::kReloc16:
    case elf::kRelocPc16:
        return 2;
    case elf::kReloc8:
    case elf::kRelocPc8:
        return 1;
    default:
        return 0;
    }
}

bool isPcRelative(std::uint8_t type) {
    return type == elf::kRelocPc32 || type == elf::kRelocPc16 || type == elf::kRelocPc8;
}

class Converter {
public:
    explicit Converter(std::span<const std::uint8_t> file) : image_(file) {}

    std::vector<std::uint8_t> run() {
        collectHunks();
        for (const ElfSection& section : image_.sections()) {
            if (section.type == elf::kSectionRel || section.type == elf::kSectionRela) {
                applyRelocations(section);
            }
        }
        return write();
    }

private:
    bool isRelocationOfLoadedSection(const ElfSection& relocations) const {
        return (relocations.type == elf::kSectionRel || relocations.type == elf::kSectionRela) &&
               image_.sections()[relocations.info].allocated();
    }

    // Empty sections become hunks only when something refers to them, so that a
    // reference to, say, the end of an empty BSS still has a hunk to point into.
    void collectHunks() {
        const auto& sections = image_.sections();
        std::vector<bool> referenced(sections.size(), false);
        for (const ElfSection& section : sections) {
            if (!isRelocationOfLoadedSection(section)) {
                continue;
            }
            for (const ElfRelocation& relocation : image_.relocations(section)) {
                const std::uint16_t index = image_.symbols()[relocation.symbol].section;
                if (relocation.symbol != 0 && index != elf::kSymbolUndefined && index < sections.size()) {
                    referenced[index] = true;
                }
            }
        }
        hunkOfSection_.assign(sections.size(), std::nullopt);
        for (std::uint32_t i = 0; i < sections.size(); ++i) {
            const ElfSection& section = sections[i];
            if (!section.allocated() || (section.size == 0 && !referenced[i])) {
                continue;
            }
            if (section.size > kAddressSpace) {
                throw ConversionError("section " + section.name + " (" + hex(section.size) +
                                      " bytes) does not fit the 68000's 16 MiB address space");
            }
            Hunk hunk;
            hunk.id = hunkIdOf(section);
            hunk.sectionIndex = i;
            if (hunk.id != hunk::kBss) {
                const auto bytes = image_.contents(section);
                hunk.contents.assign(bytes.begin(), bytes.end());
            }
            hunkOfSection_[i] = static_cast<std::uint32_t>(hunks_.size());
            hunks_.push_back(std::move(hunk));
        }
        if (hunks_.empty()) {
            throw ConversionError("no loadable sections");
        }
    }

    std::string describe(const ElfSymbol& symbol) const {
        if (!symbol.name.empty()) {
            return "'" + symbol.name + "'";
        }
        if (symbol.section != elf::kSymbolUndefined && symbol.section < image_.sections().size()) {
            return "section " + image_.sections()[symbol.section].name;
        }
        return "an unnamed symbol";
    }

    void applyRelocations(const ElfSection& relocations) {
        if (!isRelocationOfLoadedSection(relocations)) {
            return; // debug information and the like: not loaded, not converted
        }
        const std::uint32_t sectionIndex = relocations.info;
        const ElfSection& section = image_.sections()[sectionIndex];
        if (section.type == elf::kSectionNoBits) {
            throw ConversionError("relocations inside the uninitialised section " + section.name);
        }
        const auto hunkIndex = hunkOfSection_[sectionIndex];
        for (const ElfRelocation& relocation : image_.relocations(relocations)) {
            if (relocation.type == elf::kRelocNone) {
                continue;
            }
            const std::uint32_t width = widthOf(relocation.type);
            const std::string where = section.name + "+" + hex(relocation.offset - section.address);
            if (width == 0) {
                throw ConversionError("unsupported relocation type " + std::to_string(relocation.type) + " at " +
                                      where);
            }
            if (!hunkIndex || relocation.offset < section.address ||
                std::uint64_t{relocation.offset} - section.address + width > section.size) {
                throw ConversionError("relocation at " + hex(relocation.offset) + " lies outside section " +
                                      section.name);
            }
            const std::uint32_t place = relocation.offset - section.address;
            const ElfSymbol& symbol = image_.symbols()[relocation.symbol];
            const bool absolute = relocation.symbol == 0 || symbol.section == elf::kSymbolAbsolute;
            if (!absolute && symbol.section == elf::kSymbolUndefined) {
                throw ConversionError("undefined symbol " + describe(symbol) + " referenced at " + where);
            }
            if (!absolute && symbol.section >= elf::kSymbolLowReserve) {
                throw ConversionError("symbol " + describe(symbol) + " referenced at " + where +
                                      " lies in no section (common or special symbol)");
            }
            if (!absolute && !hunkOfSection_[symbol.section]) {
                throw ConversionError("symbol " + describe(symbol) + " referenced at " + where +
                                      " lies in a section that is not loaded");
            }
            if (isPcRelative(relocation.type)) {
                if (absolute) {
                    throw ConversionError("PC-relative reference to the absolute symbol " + describe(symbol) +
                                          " at " + where + " depends on the load address");
                }
                if (symbol.section != sectionIndex) {
                    throw ConversionError("PC-relative reference at " + where + " to " + describe(symbol) +
                                          " in section " + image_.sections()[symbol.section].name +
                                          " crosses hunks");
                }
                continue; // resolved by the linker, independent of where the hunk is loaded
            }
            if (absolute) {
                continue; // resolved by the linker, independent of where anything is loaded
            }
            if (relocation.type != elf::kReloc32) {
                throw ConversionError(std::to_string(width * 8) + "-bit absolute reference to " +
                                      describe(symbol) + " at " + where +
                                      " cannot be relocated (only 32-bit ones can)");
            }
            if (place % 2 != 0) {
                throw ConversionError("32-bit reference to " + describe(symbol) + " at " + where +
                                      " lies at an odd offset, which a 68000 cannot relocate");
            }
            addRelocation(*hunkIndex, place, symbol.section, where);
        }
    }

    // The linker stored target address + addend; the hunk file wants the offset
    // inside the target hunk, to which the loader adds the hunk's base.
    void addRelocation(std::uint32_t hunkIndex, std::uint32_t place, std::uint16_t targetSection,
                       const std::string& where) {
        Hunk& hunk = hunks_[hunkIndex];
        if (!relocatedPlaces_.emplace(hunkIndex, place).second) {
            throw ConversionError("two relocations at " + where);
        }
        const std::uint32_t base = image_.sections()[targetSection].address;
        write32(hunk.contents, place, read32(hunk.contents, place) - base);
        hunk.relocations[*hunkOfSection_[targetSection]].push_back(place);
    }

    std::vector<std::uint8_t> write() const {
        std::vector<std::uint8_t> out;
        const auto count = static_cast<std::uint32_t>(hunks_.size());
        append32(out, hunk::kHeader);
        append32(out, 0); // no resident libraries
        append32(out, count);
        append32(out, 0);
        append32(out, count - 1);
        for (const Hunk& hunk : hunks_) {
            append32(out, longsOf(hunk));
        }
        for (const Hunk& hunk : hunks_) {
            append32(out, hunk.id);
            append32(out, longsOf(hunk));
            if (hunk.id != hunk::kBss) {
                out.insert(out.end(), hunk.contents.begin(), hunk.contents.end());
                out.resize(out.size() + longsOf(hunk) * 4 - hunk.contents.size(), 0);
            }
            if (!hunk.relocations.empty()) {
                append32(out, hunk::kReloc32);
                for (auto [target, places] : hunk.relocations) {
                    std::sort(places.begin(), places.end());
                    append32(out, static_cast<std::uint32_t>(places.size()));
                    append32(out, target);
                    for (std::uint32_t place : places) {
                        append32(out, place);
                    }
                }
                append32(out, 0);
            }
            append32(out, hunk::kEnd);
        }
        return out;
    }

    std::uint32_t longsOf(const Hunk& hunk) const {
        return (image_.sections()[hunk.sectionIndex].size + 3) / 4;
    }

    ElfImage image_;
    std::vector<Hunk> hunks_;
    std::vector<std::optional<std::uint32_t>> hunkOfSection_;
    std::set<std::pair<std::uint32_t, std::uint32_t>> relocatedPlaces_;
};

} // namespace

std::vector<std::uint8_t> convertToHunks(std::span<const std::uint8_t> elfFile) {
    return Converter(elfFile).run();
}

} // namespace varno::elf2hunk
